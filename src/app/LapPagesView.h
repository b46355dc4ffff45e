#pragma once

#include <QTabWidget>

namespace zel {

class LapPages;

/// The "Lap Selection" tabs: one tab per page of a LapPages, each a check list whose ticks
/// the user toggles (LapCheckList::clickCheck) and which follows the list's own changes.
class LapPagesView : public QTabWidget
{
    Q_OBJECT
public:
    LapPagesView(LapPages &pages, QWidget *parent = nullptr);

private:
    void rebuild();

    LapPages &m_pages;
};

} // namespace zel
