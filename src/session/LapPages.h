#pragma once

#include <QObject>
#include <QString>
#include <vector>

namespace zel {

class LapCheckList;

/// The lap selection pages: one titled page per log, each with a check list of its laps.
/// A window binds a tab widget to it.
class LapPages : public QObject
{
    Q_OBJECT
public:
    /// No pages.
    explicit LapPages(QObject *parent = nullptr);

    /// Number of pages.
    int count() const { return int(m_pages.size()); }
    /// Title of page \a index.
    QString title(int index) const { return m_pages.at(size_t(index)).title; }
    /// Tag of page \a index (1 marks a page of a log opened as separate laps).
    int tag(int index) const { return m_pages.at(size_t(index)).tag; }
    /// Check list of page \a index (owned by this object).
    LapCheckList *list(int index) const { return m_pages.at(size_t(index)).list; }
    /// Adds a page with an empty check list and returns the list.
    LapCheckList *addPage(const QString &title, int tag = 0);
    /// Removes and frees page \a index.
    void removePage(int index);

Q_SIGNALS:
    /// Pages were added or removed.
    void pagesChanged();

private:
    struct Page
    {
        QString title;
        int tag = 0;
        LapCheckList *list = nullptr;
    };
    std::vector<Page> m_pages;
};

} // namespace zel
