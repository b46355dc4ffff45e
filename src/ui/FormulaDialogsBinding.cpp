#include "ui/FormulaDialogsBinding.h"

#include "ui/UserDialogs.h"

namespace zel {

FormulaDialogs formulaDialogsFor(UserDialogs &dialogs)
{
    FormulaDialogs bound;
    bound.input = [&dialogs](const QString &caption, const QString &prompt, QString &text) {
        const std::optional<QString> entered = dialogs.inputText(caption, prompt, text);
        if (!entered)
            return false;
        text = *entered;
        return true;
    };
    bound.message = [&dialogs](const QString &text, const QString &caption, int flags) {
        return dialogs.messageBox(text, caption, flags);
    };
    return bound;
}

} // namespace zel
