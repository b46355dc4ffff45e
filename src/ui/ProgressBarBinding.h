#pragma once

class QProgressBar;

namespace zel {

class ProgressModel;

/// Makes \a bar show \a model from now on, in at most 1000 steps: no bar is wider in
/// pixels, and a step per record would repaint the bar for every row of a large table. An
/// empty range shows an empty bar rather than Qt's busy animation. The binding ends with
/// either object.
void bindProgressBar(QProgressBar &bar, const ProgressModel &model);

} // namespace zel
