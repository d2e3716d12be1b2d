// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/catalogue/ModelCatalogue.h"

#include <initializer_list>

namespace quillmarch {

namespace {

struct CatalogueRow {
    const char* display;
    std::initializer_list<const char*> match;
    const char* entry;
    std::uint16_t resource;
    const char* history;
    const char* imageFile;
};

// Order matters: later rows contain the strings of earlier ones ("kdv 18" in "kdv 18s").
const CatalogueRow kRows[] = {
    {"MDR", {"plover", "mdr"}, "File9", 159, "PrevPloverIPAddress", "plover.image"},
    {"T21", {"wren", "t21 "}, "File5", 155, "PrevWrenIPAddress", "wren.image"},
    {"T23", {"t23", "t23 "}, "File13", 202, "PrevT23IPAddress", "finchplus.image"},
    {"KDV 12", {"finch", "kdv 12 ", "kdv 12"}, "File8", 158, "PrevFinchIPAddress", "finch.image"},
    {"", {"kdv 12S ", "kdv 12S"}, "File13", 200, "PrevFinchPlusIPAddress", "finchplus.image"},
    {"KDV 14", {"kdv 14 ", "kdv 14"}, "File12", 185, "PrevOspreyIPAddress", "egret.image"},
    {"KDV 16",
     {"kdv 16 ", "heronminus-ng", "kdv 16"},
     "File6",
     156,
     "PrevHeronMinusIPAddress",
     "kdv18.image"},
    {"KDV 16S", {"kdv 16S ", "kdv 16S"}, "File12", 185, "PrevEgretMinusIPAddress", "egret.image"},
    {"KDV 16m", {"kdv 16m ", "kdv 16m"}, "File6", 156, "PrevHeronMinusCIPAddress", "kdv18.image"},
    {"KDV 18",
     {"kdv 18 ", "heron-ng", "ng", "kdv 18"},
     "File6",
     156,
     "PrevHeronIPAddress",
     "kdv18.image"},
    {"KDV 18S", {"kdv 18S ", "kdv 18S"}, "File12", 185, "PrevEgretNgIPAddress", "egret.image"},
    {"KDV 18x",
     {"kdv 18x ", "kdv 18x"},
     "File10",
     164,
     "PrevKestrelminusNgIPAddress",
     "kestrel.image"},
    {"KDV 22", {"kdv 22 ", "kdv 22"}, "File10", 164, "PrevKestrelIPAddress", "kdv22.image"},
    {"KDV 24",
     {"heronplus-ng", "kdv 24", "plus"},
     "File7",
     157,
     "PrevHeronIPAddress",
     "kdv18.image"},
};

}  // namespace

void ModelCatalogue::Build() {
    m_rows.clear();
    int index = 0;
    for (const auto& row : kRows) {
        m_rows.emplace_back(index++, row.display, row.entry, row.resource, row.history,
                            row.imageFile);
        for (const char* match : row.match) m_rows.back().AddMatchString(match);
    }
}

int ModelCatalogue::Identify(const std::string& text, int previous) const {
    int result = previous;
    for (const auto& row : m_rows) {
        if (row.Matches(text)) result = row.Index();
    }
    return result;
}

bool ModelCatalogue::IsFirstModel(int index) {
    return index == 0;
}

bool ModelCatalogue::IsLanOnlyModel(int index) {
    return index == 1 || index == 3 || index == 6 || index == 8 || index == 9;
}

bool ModelCatalogue::IsSectionImageModel(int index) {
    return index == 1 || index == 2 || index == 3 || index == 4 || index == 6 || index == 8 ||
           index == 9;
}

bool ModelCatalogue::IsDisplaySettingsModel(int index) {
    return index == 11 || index == 12;
}

}  // namespace quillmarch
