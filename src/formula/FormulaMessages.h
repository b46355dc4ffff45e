#pragma once

#include <QString>

namespace zel {

/// The component's message texts. They are held once for the whole process so that a
/// translation loaded by one formula component applies to all of them.
class FormulaMessages
{
public:
    enum Id {
        GetVarValueNotSet,
        GetVarsCountOrGetVarValueNotSet,
        ReturnsZeroVars,
        DoesNotExists,
        Variable,
        VariableDoesNotExists,
        VariableAlreadyExists,
        WrongBytecode,
        IllegalCharacter,
        UnknownIdentifier,
        Expected,
        SyntaxError,
        VariableNotUsed,
        NotEnoughParameters,
        IdentifierAlreadyDefined,
        Count
    };

    /// The current text of a message (the English default unless translated).
    static QString text(Id id);
};

} // namespace zel
