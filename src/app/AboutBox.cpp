#include "app/AboutBox.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zel {

AboutBox::AboutBox(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About"));
    auto *layout = new QVBoxLayout(this);
    auto *picture = new QLabel(QStringLiteral("ZEL Data Analyzer"));
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setAlignment(Qt::AlignCenter);
    QFont large = picture->font();
    large.setPointSize(large.pointSize() * 2);
    large.setBold(true);
    picture->setFont(large);
    auto *version = new QLabel(QStringLiteral("Version 3.10.2"));
    version->setObjectName(QStringLiteral("Label1"));
    version->setAlignment(Qt::AlignCenter);
    auto *close = new QPushButton(QStringLiteral("Close"));
    close->setObjectName(QStringLiteral("Button1"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(picture);
    layout->addWidget(version);
    layout->addWidget(close, 0, Qt::AlignCenter);
}

} // namespace zel
