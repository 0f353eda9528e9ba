#include "print/PageLayout.h"

Rect ComputeContentBox(const PageMetrics& page) {
    const int marginX = PercentOf(page.width, 5);
    const int marginY = PercentOf(page.height, 5);
    return Rect{page.offsetX + marginX, page.offsetY + marginY,
                page.width - 2 * page.offsetX - marginX, page.height - 2 * page.offsetY - marginY};
}

Rect PlaceCredit(const Rect& content, int titleHeight, int creditWidth, int creditHeight) {
    const int left = content.right - creditWidth;
    const int top = content.top + (titleHeight - creditHeight) / 2;
    return Rect{left, top, left + creditWidth, top + creditHeight};
}

MonthGridGeometry ComputeMonthGrid(const Rect& content, int titleHeight) {
    MonthGridGeometry grid;
    grid.left = content.left;
    // One title height of space between the title and the months.
    grid.gridTop = content.top + 2 * titleHeight;
    grid.availWidth = content.right - content.left;
    grid.availHeight = content.bottom - grid.gridTop;
    grid.hGap = PercentOf(grid.availWidth, 5);
    grid.vGap = PercentOf(grid.availHeight, 5);
    grid.columns = grid.availWidth > grid.availHeight ? 4 : 3;
    grid.rows = 12 / grid.columns;
    grid.cellWidth = (grid.availWidth - (grid.columns - 1) * grid.hGap) / grid.columns;
    grid.cellHeight = (grid.availHeight - (grid.rows - 1) * grid.vGap) / grid.rows;
    return grid;
}

PagePoint MonthGridGeometry::MonthOrigin(int month) const {
    const int i = month - 1;
    const int column = i % columns;
    const int row = i / columns;
    return PagePoint{left + column * (cellWidth + hGap), gridTop + row * (cellHeight + vGap)};
}
