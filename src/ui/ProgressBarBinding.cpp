#include "ui/ProgressBarBinding.h"

#include "session/ProgressModel.h"

#include <QProgressBar>
#include <algorithm>

namespace zel {

namespace {

void showProgress(QProgressBar &bar, const ProgressModel &model)
{
    constexpr qint64 kProgressSteps = 1000;
    const qint64 maximum = model.maximum();
    const qint64 scale = (maximum + kProgressSteps - 1) / kProgressSteps;
    if (scale <= 0) {
        bar.setRange(0, 1);
        bar.setValue(0);
        return;
    }
    bar.setRange(0, int(maximum / scale));
    bar.setValue(int(std::clamp<qint64>(model.position(), 0, maximum) / scale));
}

} // namespace

void bindProgressBar(QProgressBar &bar, const ProgressModel &model)
{
    QObject::connect(
        &model, &ProgressModel::changed, &bar, [&bar, &model] { showProgress(bar, model); });
    showProgress(bar, model);
}

} // namespace zel
