#pragma once

namespace zel {

/// Tunes the C library's heap for the window program, which builds and drops series of
/// hundreds of thousands of points at every chart change: blocks up to 64 MiB come from the
/// heap and up to 256 MiB of freed memory stay there for the next series. Left to its own
/// rules the heap maps each large block afresh and hands it back when freed, and on this
/// kind of machine touching new pages made charting eight channels take three times as
/// long. Call once at the start of main(), before other threads run.
void keepLargeBlocksInHeap();

} // namespace zel
