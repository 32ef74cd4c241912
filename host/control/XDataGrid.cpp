#include "DataGrid.h"

struct DataGridState {};

XDataGrid::XDataGrid() : state_(new DataGridState) {}
XDataGrid::~XDataGrid() {
    delete state_;
}
LRESULT XDataGrid::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return XWin::WndProc(hwnd, msg, wParam, lParam);
}
void XDataGrid::Render(HDC) {}
void XDataGrid::DrawHeader(HDC, const XRect&) {}
void XDataGrid::DrawHeaderItem(HDC, const HeaderInfo2&, const XRect&) {}
void XDataGrid::DrawHeaderBorder(HDC, const XRect&) {}
void XDataGrid::DrawHeaderBackgound(HDC, const XRect&) {}
void XDataGrid::DrawHeaderText(HDC, const XStringW&, int, const XRect&) {}
void XDataGrid::DrawHeaderSort(HDC, bool, const XRect&) {}
void XDataGrid::DrawBackground(HDC, const XRect&) {}
void XDataGrid::DrawBorder(HDC, const XRect&) {}
void XDataGrid::DrawCheckBox(HDC, bool, const XRect&) {}
void XDataGrid::DrawContent(HDC, const XRect&) {}
void XDataGrid::DrawRowQuick(int) {}
void XDataGrid::DrawRow(HDC, int, const XRect&) {}
void XDataGrid::DrawItem(HDC, Gdiplus::Graphics*, int, const HeaderInfo2&, const XRect&) {}
void XDataGrid::DrawScrollBar(HDC) {}
void XDataGrid::DrawScrollBar(HDC, bool, const XRect&) {}
void XDataGrid::DrawScrollBarButton(HDC, int, bool, const XRect&) {}
int XDataGrid::GetRowsCount() {
    return 0;
}
bool XDataGrid::GetCheckStatus(int) {
    return false;
}
void XDataGrid::SetCheckStatus(int, bool) {}
void XDataGrid::GetRowBkColor(int, bool, COLORREF&) {}
void XDataGrid::GetItemColor(int, const HeaderInfo2&, const XStringW&, COLORREF&) {}
void XDataGrid::GetItemText(int, const HeaderInfo2&, XStringW&) {}
bool XDataGrid::sort(const XStringW&, bool) {
    return false;
}
void XDataGrid::OnContextMenu(int, int) {}
void XDataGrid::OnHeaderChange() {}
void XDataGrid::OnResetHeader() {}
void XDataGrid::OnEnterItem() {}
XStringW XDataGrid::DragItemToString(int) {
    return XStringW();
}
XStringW XDataGrid::DragItemToString(int, const HeaderInfo2&) {
    return XStringW();
}
int XDataGrid::SetHeader(const XStringW&) {
    return 0;
}
XStringW XDataGrid::GetHeader() {
    return XStringW();
}
int XDataGrid::HitTest(int, int, int*, int*) {
    return -1;
}
void XDataGrid::Refresh(bool, bool) {}
int XDataGrid::GetCurrSel() const {
    return -1;
}
void XDataGrid::SetCurrSel(int) {}
void XDataGrid::SetBkColor(COLORREF) {}
void XDataGrid::SetBdColor(COLORREF) {}
void XDataGrid::SetGridColor(COLORREF) {}
void XDataGrid::SetHeaderColor(COLORREF) {}
void XDataGrid::SetHeaderBkColor(COLORREF) {}
void XDataGrid::SetScrollArrowColor(COLORREF) {}
void XDataGrid::SetScrollButtonColor(COLORREF) {}
void XDataGrid::SetScrollFaceColor(COLORREF) {}
void XDataGrid::SetScrollDarkColor(COLORREF) {}
void XDataGrid::SetScrollLightColor(COLORREF) {}
void XDataGrid::SetTextColor(COLORREF) {}
void XDataGrid::SetHeaderFont(const XStringW&, int) {}
void XDataGrid::SetDrawGridLine(bool, bool) {}
void XDataGrid::SetHeaderRowHight(int) {}
void XDataGrid::SetRowHight(int) {}
void XDataGrid::SetScrollLock(bool) {}
void XDataGrid::SetZoom(double) {}
void XDataGrid::ReleaseDrawingResource() {}
int XDataGrid::GetColumnCount() const {
    return 0;
}
HeaderInfo2 XDataGrid::GetColumn(int) const {
    return HeaderInfo2();
}
int XDataGrid::GetTopRow() const {
    return 0;
}
IXMLDOMDocument* XDataGrid::GetHeaderDocument() const {
    return nullptr;
}
bool XDataGrid::GetHeader(IXMLDOMNodeList*, const XStringW&, IXMLDOMNode** node) {
    if (node)
        *node = nullptr;
    return false;
}
