#pragma once

#include <QDialog>

namespace zel {

/// The about box: the program's picture, its version and a "Close" button.
class AboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);
};

} // namespace zel
