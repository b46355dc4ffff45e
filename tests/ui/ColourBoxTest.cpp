#include "ui/ColourBox.h"

#include <gtest/gtest.h>

using namespace zel;

TEST(ColourBoxTest, NamedColoursAreSelectedAndOthersBecomeOneCustomEntry)
{
    ColourBox box;
    const int named = box.count() - 1; // the last entry is "Custom..."
    EXPECT_EQ(box.itemText(named), "Custom...");

    box.setColour(QColor(255, 0, 0));
    EXPECT_EQ(box.currentText(), "Red");
    box.setColour(QColor(1, 2, 3));
    EXPECT_EQ(box.colour(), QColor(1, 2, 3));
    box.setColour(QColor(4, 5, 6));
    EXPECT_EQ(box.count(), named + 2); // one custom entry, replaced
    EXPECT_EQ(box.colour(), QColor(4, 5, 6));
}

TEST(ColourBoxTest, CustomAsksForAColourAndKeepsThePreviousOneWhenCancelled)
{
    ColourBox box;
    box.setColour(Qt::blue);
    QColor answer;
    QColor asked;
    box.setColourChooser([&](const QColor &current, QWidget *) {
        asked = current;
        return answer;
    });
    const auto chooseCustom = [&] {
        box.setCurrentIndex(box.count() - 1);
        emit box.activated(box.count() - 1);
    };

    answer = QColor(10, 20, 30);
    chooseCustom();
    EXPECT_EQ(asked, QColor(Qt::blue));
    EXPECT_EQ(box.colour(), QColor(10, 20, 30));

    answer = QColor(); // cancelled
    chooseCustom();
    EXPECT_EQ(asked, QColor(10, 20, 30));
    EXPECT_EQ(box.colour(), QColor(10, 20, 30));
}
