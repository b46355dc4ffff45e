#pragma once

#include "formula/FormulaDialogs.h"

namespace zel {

class UserDialogs;

/// The boxes of the formula functions INPUT and MSG, shown through \a dialogs: INPUT opens
/// the input box (cancelled: the formula gets ""), MSG the message box with the formula's
/// flags and gives its button number. \a dialogs must outlive the result and every formula
/// component it is given to.
FormulaDialogs formulaDialogsFor(UserDialogs &dialogs);

} // namespace zel
