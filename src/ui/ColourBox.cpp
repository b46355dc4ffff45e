#include "ui/ColourBox.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

namespace zel {

namespace {

const struct
{
    const char *name;
    QRgb rgb;
} kNamedColours[] = {
    { "Black", 0x000000 },
    { "Maroon", 0x800000 },
    { "Green", 0x008000 },
    { "Olive", 0x808000 },
    { "Navy", 0x000080 },
    { "Purple", 0x800080 },
    { "Teal", 0x008080 },
    { "Gray", 0x808080 },
    { "Silver", 0xC0C0C0 },
    { "Red", 0xFF0000 },
    { "Lime", 0x00FF00 },
    { "Yellow", 0xFFFF00 },
    { "Blue", 0x0000FF },
    { "Fuchsia", 0xFF00FF },
    { "Aqua", 0x00FFFF },
    { "White", 0xFFFFFF },
    { "Money Green", 0xC0DCC0 },
    { "Sky Blue", 0xA6CAF0 },
    { "Cream", 0xFFFBF0 },
    { "Medium Gray", 0xA0A0A4 },
};

constexpr int kNamedCount = int(std::size(kNamedColours));

QIcon swatch(const QColor &colour)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(Qt::gray);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

} // namespace

ColourBox::ColourBox(QWidget *parent)
    : QComboBox(parent)
    , m_chooser([](const QColor &current, QWidget *owner) {
        return QColorDialog::getColor(current, owner);
    })
{
    for (const auto &named : kNamedColours) {
        const QColor colour = QColor::fromRgb(named.rgb);
        addItem(swatch(colour), QString::fromLatin1(named.name), colour);
    }
    addItem(QStringLiteral("Custom..."));
    connect(this, &QComboBox::activated, this, &ColourBox::onActivated);
}

QColor ColourBox::colour() const
{
    return currentData().value<QColor>();
}

void ColourBox::setColour(const QColor &colour)
{
    const QColor opaque = QColor::fromRgb(colour.rgb());
    int index = -1;
    for (int i = 0; i < customChoiceIndex() && index < 0; ++i) {
        if (itemData(i).value<QColor>() == opaque)
            index = i;
    }
    if (index < 0) {
        if (customChoiceIndex() > kNamedCount)
            removeItem(kNamedCount);
        index = kNamedCount;
        insertItem(index, swatch(opaque), opaque.name().toUpper(), opaque);
    }
    setCurrentIndex(index);
    m_lastColourIndex = index;
}

int ColourBox::customChoiceIndex() const
{
    return count() - 1;
}

void ColourBox::onActivated(int index)
{
    if (index != customChoiceIndex()) {
        m_lastColourIndex = index;
        return;
    }
    const QColor previous = itemData(m_lastColourIndex).value<QColor>();
    const QColor chosen = m_chooser(previous, this);
    if (chosen.isValid())
        setColour(chosen);
    else
        setCurrentIndex(m_lastColourIndex);
}

} // namespace zel
