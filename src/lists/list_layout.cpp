#include "lists/list_layout.h"

#include <array>

namespace calvex {

namespace {

constexpr std::array<ToolbarButton, 2> kRealTimeButtons{{{"Save", "Save As"}, {"Print", "Print"}}};
constexpr std::array<ToolbarButton, 2> kFileButtons{{{"Plot", "Plot"}, {"Print", "Print"}}};
constexpr std::array<ToolbarButton, 3> kDataButtons{
    {{"Save", "Save As"}, {"Plot", "Plot"}, {"Print", "Print"}}};

constexpr std::array<ListColumn, 4> kSingleColumns{
    {{"No.s", " 000000 "}, {"   Time", " 000:00:00 "}, {"Value", "AAAAAAA"}, {"Unit", "AAAA"}}};
constexpr std::array<ListColumn, 6> kDualColumns{{{"No.s", " 000000 "},
                                                  {"   Time", " 000:00:00 "},
                                                  {" T1", "AAAAAAA"},
                                                  {" T2", "AAAAAAA"},
                                                  {"T1-T2", "AAAAAAA"},
                                                  {"Unit", "AAAA"}}};

// Indexed by kind (real-time, file, data), then single / dual.
const std::array<std::array<ListLayout, 2>, 3> kLayouts{{
    {{{"List1", "Real Time List", 3090, 4530, 120, 480, 2895, 3975, 420, kRealTimeButtons, kSingleColumns, 3},
      {"List2", "Real Time List", 4680, 4530, 120, 480, 4455, 3975, 420, kRealTimeButtons, kDualColumns, 5}}},
    {{{"FileList1", "File List", 3090, 4530, 120, 480, 2895, 3975, 420, kFileButtons, kSingleColumns, 3},
      {"FileList2", "File List", 4680, 4530, 120, 480, 4455, 3975, 420, kFileButtons, kDualColumns, 5}}},
    {{{"DataList1", "Data List", 3060, 4500, 120, 480, 2895, 3975, 420, kDataButtons, kSingleColumns, 3},
      {"DataList2", "Data List", 4650, 4500, 120, 480, 4455, 3975, 420, kDataButtons, kDualColumns, 5}}},
}};

}  // namespace

const ListLayout& listLayout(ListKind kind, bool dual) {
    return kLayouts[static_cast<std::size_t>(kind)][dual ? 1 : 0];
}

}  // namespace calvex
