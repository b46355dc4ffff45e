#pragma once

#include "session/RecordTable.h"

namespace zel {

/// Keeps a table's display links suspended for the life of the object, so that a bulk
/// change (import, copy, filter) does not redraw bound widgets row by row.
class ControlsDisabled
{
public:
    /// Suspends \a table's display links.
    explicit ControlsDisabled(RecordTable &table)
        : m_table(table)
    {
        m_table.DisableControls();
    }
    ~ControlsDisabled() { m_table.EnableControls(); }
    ControlsDisabled(const ControlsDisabled &) = delete;
    ControlsDisabled &operator=(const ControlsDisabled &) = delete;

private:
    RecordTable &m_table;
};

} // namespace zel
