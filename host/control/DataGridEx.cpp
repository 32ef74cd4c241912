#include "DataGrid.h"

DataGridEx::DataGridEx() = default;
DataGridEx::~DataGridEx() = default;
LRESULT DataGridEx::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return XDataGrid::WndProc(hwnd, msg, wParam, lParam);
}
