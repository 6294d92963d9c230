#include "win32/type_lists.h"

#include <windows.h>

#include <commctrl.h>

#include <iterator>
#include <string>

#include "win32/text.h"

namespace quarnel {
namespace {

// The headings are the session's; their widths and alignment the list's.
struct Column {
  int width;  // at 96 dots an inch
  bool number;
};
constexpr Column kTypeListColumns[] = {{70, false}, {70, false}, {55, true},
                                       {70, false}, {60, true},  {70, false}};
constexpr Column kLayerListColumns[] = {{60, true}, {60, true}, {60, true}};
static_assert(std::size(kTypeListColumns) == Session::kTypeColumnCount &&
              std::size(kLayerListColumns) == Session::kLayerColumnCount);

HWND MakeList(HWND parent, int id, const Column* columns, int count, const wchar_t* name,
              const char* (*heading)(int)) {
  const HWND list =
      CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, name,
                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                          LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                      0, 0, 1, 1, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                      GetModuleHandleW(nullptr), nullptr);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  for (int at = 0; at < count; ++at) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = columns[at].number ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = columns[at].width;
    std::wstring text = Wide(heading(at));
    column.pszText = text.data();
    ListView_InsertColumn(list, at, &column);
  }
  return list;
}

void SetWidths(HWND list, const Column* columns, int count, int dpi) {
  for (int at = 0; at < count; ++at) {
    ListView_SetColumnWidth(list, at, MulDiv(columns[at].width, dpi, 96));
  }
}

int FocusedRow(HWND list) {
  return ListView_GetNextItem(list, -1, LVNI_FOCUSED);
}

}  // namespace

TypeLists::TypeLists(HWND parent, int types_id, int layers_id, Session& session)
    : session_(session),
      types_(MakeList(parent, types_id, kTypeListColumns,
                      static_cast<int>(std::size(kTypeListColumns)), L"Types",
                      &Session::TypeHeading)),
      layers_(MakeList(parent, layers_id, kLayerListColumns,
                       static_cast<int>(std::size(kLayerListColumns)), L"Layers",
                       &Session::LayerHeading)) {}

void TypeLists::SetColumnWidths(int dpi) {
  SetWidths(types_, kTypeListColumns, static_cast<int>(std::size(kTypeListColumns)), dpi);
  SetWidths(layers_, kLayerListColumns, static_cast<int>(std::size(kLayerListColumns)), dpi);
}

void TypeLists::Refresh() {
  const auto count = [](HWND list, std::size_t rows) {
    if (static_cast<std::size_t>(ListView_GetItemCount(list)) != rows) {
      ListView_SetItemCountEx(list, static_cast<int>(rows), LVSICF_NOSCROLL);
    }
    InvalidateRect(list, nullptr, FALSE);
  };
  count(types_, session_.TypeCount());
  count(layers_, session_.LayerCount());
  // A type made current elsewhere, or moved by a sort, is selected where it now stands.
  const long long current = session_.CurrentTypeRow();
  if (current >= 0 && current != current_) {
    const int row = static_cast<int>(current);
    ListView_SetItemState(types_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(types_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(types_, row, FALSE);
  }
  current_ = current;
}

bool TypeLists::Choose(HWND list) {
  const int row = FocusedRow(list);
  if (row < 0 || (list != types_ && list != layers_)) return false;
  if (list == types_) {
    session_.ChooseType(static_cast<std::size_t>(row));
  } else {
    session_.ChooseLayer(static_cast<std::size_t>(row));
  }
  return true;
}

bool TypeLists::Notify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != types_ && header.hwndFrom != layers_) return false;
  const bool types = header.hwndFrom == types_;
  result = 0;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& item = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header)).item;
      if (!(item.mask & LVIF_TEXT)) return false;
      const auto row = static_cast<std::size_t>(item.iItem);
      cell_ = types ? Wide(session_.TypeCell(row, item.iSubItem))
                    : std::to_wstring(session_.LayerCell(row, item.iSubItem));
      item.pszText = cell_.data();
      return false;  // nothing changed: no refresh
    }
    case LVN_COLUMNCLICK: {
      const int column = reinterpret_cast<const NMLISTVIEW&>(header).iSubItem;
      if (types) {
        session_.SortTypes(column);
        current_ = -1;  // the current type's row moves with the sort
      } else {
        session_.SortLayers(column);
      }
      return true;
    }
    case NM_DBLCLK: {
      const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
      if (row < 0) return false;
      if (types) {
        session_.ChooseType(static_cast<std::size_t>(row));
      } else {
        session_.ChooseLayer(static_cast<std::size_t>(row));
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace quarnel
