#pragma once

#include <QString>

namespace zel {

/// The component's message texts. They are held once for the whole process so that a
/// translation loaded by one formula component applies to all of them.
class FormulaMessages
{
public:
    /// The messages, in the order a language file's keys are read.
    enum Id {
        GetVarValueNotSet,
        GetVarsCountOrGetVarValueNotSet,
        ReturnsZeroVars,
        DoesNotExists,
        Variable,
        VariableDoesNotExists,
        VariableAlreadyExists,
        FunctionAlreadyDefined,
        TooManyFunctionsDefined,
        UserFunctionAlreadyDefined,
        TooManyUserFunctionsDefined,
        ConstantAlreadyDefined,
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
    /// The English text of a message.
    static QString defaultText(Id id);
    /// The key of a message in a language file's "TalFormula" section, e.g. "cSyntaxError".
    static QString key(Id id);
    /// Replaces the text of a message for every formula component of the process.
    static void setText(Id id, const QString &text);
};

} // namespace zel
