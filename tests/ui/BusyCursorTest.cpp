#include "ui/BusyCursor.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace zel;

namespace {

Qt::CursorShape shownCursor()
{
    const QCursor *cursor = QApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::ArrowCursor;
}

TEST(BusyCursorTest, NestsAndRestoresWhenAnExceptionPasses)
{
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    QApplication::setOverrideCursor(Qt::CrossCursor);
    try {
        const BusyCursor outer;
        EXPECT_EQ(shownCursor(), Qt::WaitCursor);
        {
            const BusyCursor inner;
            EXPECT_EQ(shownCursor(), Qt::WaitCursor);
        }
        EXPECT_EQ(shownCursor(), Qt::WaitCursor);
        throw std::runtime_error("import failed");
    } catch (const std::runtime_error &) { }
    EXPECT_EQ(shownCursor(), Qt::CrossCursor);
    QApplication::restoreOverrideCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
