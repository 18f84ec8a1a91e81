#include "base/SettingTable.h"

#include <cstdlib>
#include <string_view>

namespace postplay::setting {

namespace {

// Makes the row's cell, holding the row's default as the variable would read it.
void MakeCell(SettingCells& cells, const Setting& row) {
    const std::string_view text = row.defaultValue;
    std::visit(
        Overloaded{
            [](std::monostate) {},
            [&](CellOf<std::atomic<bool>> cell) { cells.*cell = std::make_shared<std::atomic<bool>>(text == "1"); },
            [&](CellOf<std::atomic<int>> cell) {
                cells.*cell = std::make_shared<std::atomic<int>>(std::atoi(row.defaultValue));
            },
            [&](CellOf<std::atomic<TrainingMode::Mode>> cell) {
                cells.*cell =
                    std::make_shared<std::atomic<TrainingMode::Mode>>(TrainingMode::FromString(row.defaultValue));
            },
            [&](CellOf<SharedText> cell) { cells.*cell = std::make_shared<SharedText>(row.defaultValue); }},
        row.cell);
}

} // namespace

SettingCells FreshCells() {
    SettingCells cells;
    for (const Setting& row : kRegistered) MakeCell(cells, row);
    return cells;
}

} // namespace postplay::setting
