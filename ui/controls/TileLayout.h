// CTileLayoutUI ("TileLayout"): places its children in a grid of equal cells, filling rows left to
// right (column mode, the default) or, with a fixed row count, columns top to bottom.
#pragma once

#include "ui/controls/Container.h"

namespace ui {

struct TLayoutArea;

class CTileLayoutUI : public CContainerUI
{
public:
    static constexpr int kDefaultItemSize = 80;

    CTileLayoutUI();

    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
    void SetPosition(CUIRect rect, bool needInvalidate = true) override;
    void SetAttribute(const char16_t* name, const char16_t* value) override;
    // Refused when fixed columns and rows bound the grid and it is full.
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;

    // The cell size; any values are accepted.
    void SetItemSize(CUISize size);
    CUISize GetItemSize() const { return m_itemSize; }
    // 0 = as many columns as fit; negative values are ignored.
    void SetFixedColumns(int columns);
    int GetFixedColumns() const { return m_fixedColumns; }
    // 0 = column mode; from 1 on the grid fills columns top to bottom. Negative values are ignored.
    void SetFixedRows(int rows);
    int GetFixedRows() const { return m_fixedRows; }
    // The grid the last layout produced.
    int GetColumns() const { return m_columns; }
    int GetRows() const { return m_rows; }
    // Vertical gap between rows; negative values count as 0.
    void SetChildVPadding(int padding);
    int GetChildVPadding() const { return m_childVPadding; }

private:
    bool IsFull() const;
    void LayoutColumns(const TLayoutArea& area, int visibleCount);
    void LayoutRows(const TLayoutArea& area);
    void PlaceInCell(CControlUI& child, int x, int y) const;

    CUISize m_itemSize{kDefaultItemSize, kDefaultItemSize};
    int m_columns = 1;
    int m_rows = 0;
    int m_fixedColumns = 0;
    int m_fixedRows = 0;
    int m_childVPadding = 0;
};

} // namespace ui
