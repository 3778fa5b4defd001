// The pixels the grid's drawing fixes: the 3-D header, the selected fill, the
// focus frame, the sunken header of the focus, check boxes, clipped text and
// the tracking line of a divider drag. Colours are the pinned classic ones.
#include "tests/controls/grid/file_list_grid.h"

#include "platform/ui/system_colors.h"

#include <gtest/gtest.h>

namespace {

QRgb Rgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

QImage Picture(FileListGrid& list) {
    return list.Client()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

RECT CellRect(FileListGrid& list, int row, int col) {
    RECT rect;
    list.grid.GetCellRect(row, col, &rect);
    return rect;
}

} // namespace

TEST(DataGridDrawing, HeaderSelectionAndFocus) {
    FileListGrid list;
    QImage picture = Picture(list);
    const RECT header = CellRect(list, 0, 1);
    // Raised: light top and left, dark right and bottom, face inside.
    EXPECT_EQ(picture.pixel(header.left + 5, header.top), Rgb(GetSysColor(COLOR_BTNHIGHLIGHT)));
    EXPECT_EQ(picture.pixel(header.left, header.top + 5), Rgb(GetSysColor(COLOR_BTNHIGHLIGHT)));
    EXPECT_EQ(picture.pixel(header.right, header.top + 5), Rgb(GetSysColor(COLOR_3DDKSHADOW)));
    EXPECT_EQ(picture.pixel(header.left + 5, header.bottom), Rgb(GetSysColor(COLOR_3DDKSHADOW)));
    EXPECT_EQ(picture.pixel(header.left + 2, header.top + 9), Rgb(GetSysColor(COLOR_BTNFACE)));
    // Entries on white, with grey grid lines.
    const RECT cell = CellRect(list, 2, 2);
    EXPECT_EQ(picture.pixel(cell.left + 2, cell.top + 2), qRgb(255, 255, 255));
    EXPECT_EQ(picture.pixel(cell.right, cell.top + 5), qRgb(192, 192, 192));

    list.Click(2, 1);
    picture = Picture(list);
    // The selected row is filled with the highlight colour...
    EXPECT_EQ(picture.pixel(cell.left + 2, cell.top + 2), Rgb(GetSysColor(COLOR_HIGHLIGHT)));
    // ...and the focus cell, selected too, framed in the highlight text colour.
    const RECT focus = CellRect(list, 2, 1);
    EXPECT_EQ(picture.pixel(focus.left, focus.top + 5), Rgb(GetSysColor(COLOR_HIGHLIGHTTEXT)));
    EXPECT_EQ(picture.pixel(focus.left + 2, focus.top + 2), Rgb(GetSysColor(COLOR_HIGHLIGHT)));
    // The header over the focus column is sunken now: dark top and left.
    EXPECT_EQ(picture.pixel(header.left + 5, header.top), Rgb(GetSysColor(COLOR_3DDKSHADOW)));
    // The other headers stay raised.
    const RECT other = CellRect(list, 0, 3);
    EXPECT_EQ(picture.pixel(other.left + 5, other.top), Rgb(GetSysColor(COLOR_BTNHIGHLIGHT)));
}

TEST(DataGridDrawing, CheckBoxesAndClippedText) {
    FileListGrid list;
    const RECT box = static_cast<CGridCellCheck*>(list.grid.GetCell(1, 0))->GetCheckPlacement();
    const QRect area(box.left, box.top, box.Width(), box.Height());
    const QImage checked = Picture(list).copy(area);
    static_cast<CGridCellCheck*>(list.grid.GetCell(1, 0))->SetCheck(false);
    list.grid.RedrawWindow(RDW_INVALIDATE | RDW_UPDATENOW);
    const QImage unchecked = Picture(list).copy(area);
    EXPECT_NE(checked, unchecked);
    // The next row's box, still checked, looks as this one did.
    EXPECT_EQ(Picture(list).copy(area.translated(0, 18)), checked);

    // A long name ends in an ellipsis inside its cell: the next cell's first pixels stay white.
    list.grid.SetItemText(1, 1, std::string(80, 'W'));
    list.grid.Refresh();
    const QImage picture = Picture(list);
    const RECT next = CellRect(list, 1, 2);
    for (int x = next.left; x < next.left + 6; ++x)
        EXPECT_EQ(picture.pixel(x, (next.top + next.bottom) / 2), qRgb(255, 255, 255)) << x;
}

TEST(DataGridDrawing, DraggingADividerShowsAnInvertedLine) {
    FileListGrid list;
    const QImage before = Picture(list);
    QTest::mouseMove(list.Client(), QPoint(168, 8));
    QTest::mousePress(list.Client(), Qt::LeftButton, {}, QPoint(168, 8));
    QTest::mouseMove(list.Client(), QPoint(240, 8));
    const QImage during = Picture(list);
    const int y = 60;
    for (int x : {240, 241})
        EXPECT_EQ(during.pixel(x, y), before.pixel(x, y) ^ 0x00FFFFFF) << x;
    EXPECT_EQ(during.pixel(243, y), before.pixel(243, y));
    QTest::mouseRelease(list.Client(), Qt::LeftButton, {}, QPoint(240, 8));
    const QImage after = Picture(list);
    const RECT moved = CellRect(list, 1, 1);
    EXPECT_EQ(moved.right, 239);
    EXPECT_EQ(after.pixel(moved.right, y), qRgb(192, 192, 192)); // the grid line, no line left over
    EXPECT_EQ(after.pixel(moved.right + 1, y), qRgb(255, 255, 255));
}
