#include "session/ProgressModel.h"

namespace zel {

ProgressModel::ProgressModel(QObject *parent)
    : QObject(parent)
{ }

void ProgressModel::setMaximum(qint64 maximum)
{
    m_maximum = maximum;
    Q_EMIT changed();
}

void ProgressModel::setPosition(qint64 position)
{
    m_position = position;
    Q_EMIT changed();
}

} // namespace zel
