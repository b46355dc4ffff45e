#pragma once

#include <QComboBox>
#include <functional>

namespace zel {

/// A drop-down of colours: the sixteen standard colours and four extended ones by name, the
/// colour last set or chosen when it is none of them, and "Custom...", which asks for any
/// colour.
class ColourBox : public QComboBox
{
    Q_OBJECT
public:
    /// Asks for a colour, starting from \a current; an invalid colour when cancelled.
    using ColourChooser = std::function<QColor(const QColor &current, QWidget *parent)>;

    explicit ColourBox(QWidget *parent = nullptr);

    QColor colour() const;
    /// Selects \a colour; one the list lacks becomes its custom entry.
    void setColour(const QColor &colour);
    /// Replaces how "Custom..." asks (QColorDialog by default).
    void setColourChooser(ColourChooser chooser) { m_chooser = std::move(chooser); }

private:
    void onActivated(int index);
    int customChoiceIndex() const;

    ColourChooser m_chooser;
    int m_lastColourIndex = 0;
};

} // namespace zel
