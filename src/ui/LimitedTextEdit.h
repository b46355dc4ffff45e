#pragma once

#include <QPlainTextEdit>

namespace zel {

/// A multi-line editor that holds at most a given number of characters: typed or pasted
/// text beyond it is cut off.
class LimitedTextEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit LimitedTextEdit(int maxLength, QWidget *parent = nullptr);

    int maxLength() const { return m_maxLength; }

private:
    void enforceLimit();

    int m_maxLength;
};

} // namespace zel
