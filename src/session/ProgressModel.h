#pragma once

#include <QObject>

namespace zel {

/// A progress bar's range and position. A window binds a progress bar widget to it.
class ProgressModel : public QObject
{
    Q_OBJECT
public:
    /// Range 0..0 at position 0.
    explicit ProgressModel(QObject *parent = nullptr);

    /// Largest position.
    qint64 maximum() const { return m_maximum; }
    /// Current position.
    qint64 position() const { return m_position; }
    /// Sets the largest position (the smallest is 0).
    void setMaximum(qint64 maximum);
    /// Moves to \a position.
    void setPosition(qint64 position);
    /// Advances by \a steps.
    void stepBy(qint64 steps) { setPosition(m_position + steps); }

Q_SIGNALS:
    /// Range or position changed.
    void changed();

private:
    qint64 m_maximum = 0;
    qint64 m_position = 0;
};

} // namespace zel
