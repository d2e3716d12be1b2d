// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/fleet/FleetInventory.h"
#include "support/ScopedTempDir.h"

namespace quillmarch::fleet {
namespace {

using Strings = std::vector<std::string>;

struct Accepted {
    const char* what;
    std::string csv;
    Strings addresses;
    std::vector<int> lines;
};

TEST(FleetInventory, AcceptedFilesGiveTheirSystemsAndLines) {
    const std::vector<Accepted> cases = {
        {"plain",
         "address,name\n10.0.0.1,Lobby\n10.0.0.2,Hall\n",
         {"10.0.0.1", "10.0.0.2"},
         {2, 3}},
        {"CRLF and a BOM",
         "\xEF\xBB\xBF"
         "address,name\r\n10.0.0.1,a\r\n10.0.0.2,b\r\n",
         {"10.0.0.1", "10.0.0.2"},
         {2, 3}},
        {"header in any case and order", "Name,ADDRESS\nx,host-1\n", {"host-1"}, {2}},
        {"blank lines and empty spreadsheet rows",
         "address\n\n10.0.0.1\n,\n \n10.0.0.2\n",
         {"10.0.0.1", "10.0.0.2"},
         {3, 6}},
        {"quoted line break counts as a line",
         "address,options\n10.0.0.1,\"-m\n-s\"\n10.0.0.2,\n",
         {"10.0.0.1", "10.0.0.2"},
         {2, 4}},
        {"semicolon separator", "address;name\n10.0.0.1;Room, east\n", {"10.0.0.1"}, {2}},
        {"no final line end", "address\n[::1]:2121", {"[::1]:2121"}, {2}},
        {"trailing empty columns", "address,name,,\n10.0.0.1,a,,\n", {"10.0.0.1"}, {2}},
    };
    for (const Accepted& c : cases) {
        Inventory out;
        Strings errors;
        ASSERT_TRUE(FleetInventory::Parse(c.csv, "s.csv", {}, out, errors))
            << c.what << ": " << (errors.empty() ? "" : errors[0]);
        Strings addresses;
        std::vector<int> lines;
        for (const FleetSystem& s : out.systems) {
            addresses.push_back(s.address);
            lines.push_back(s.line);
        }
        EXPECT_EQ(addresses, c.addresses) << c.what;
        EXPECT_EQ(lines, c.lines) << c.what;
    }
}

TEST(FleetInventory, FieldsKeepQuotedCommasDoubledQuotesAndThePasswordAsWritten) {
    const std::string csv =
        "password,options,address,name\n"
        "\" pa,ss\"\"word \",-m -t:600,10.0.0.1,\"Board \"\"A\"\", 2nd floor\"\n"
        ",,10.0.0.2,\n";
    Inventory out;
    Strings errors;
    ASSERT_TRUE(FleetInventory::Parse(csv, "s.csv", {"-s"}, out, errors)) << errors[0];
    ASSERT_EQ(out.systems.size(), 2u);
    EXPECT_TRUE(out.hasPasswordColumn);
    EXPECT_EQ(out.systems[0].password, " pa,ss\"word ");
    EXPECT_EQ(out.systems[0].name, "Board \"A\", 2nd floor");
    EXPECT_EQ(out.systems[0].options, (Strings{"-m", "-t:600"}));
    EXPECT_EQ(out.systems[1].password, "");
    EXPECT_EQ(out.systems[1].name, "10.0.0.2");  // an empty name shows the address
}

struct Rejected {
    const char* what;
    std::string csv;
    Strings errors;  // each a piece of one error, in order
};

TEST(FleetInventory, FaultsAreAllListedWithTheirLines) {
    const std::vector<Rejected> cases = {
        {"missing address column",
         "host,name\n10.0.0.1,a\n",
         {"s.csv:1: unknown column \"host\"", "s.csv:1: the header has no \"address\" column"}},
        {"typo in a column", "Address,Nmae\n10.0.0.1,a\n", {"s.csv:1: unknown column \"Nmae\""}},
        {"value under an unnamed column",
         "address,,name\n10.0.0.1,,a\n10.0.0.2,x,b\n",
         {"s.csv:3: field 2 holds a value, but the header names no column there"}},
        {"column twice", "address,Address\n", {"s.csv:1: column \"address\" is named twice"}},
        {"empty file", "", {"s.csv: no header row"}},
        {"header only", "address,name\n\n", {"s.csv: no systems"}},
        {"every bad row, not only the first",
         "address,name,options\n"
         "10.0.0.1,ok,\n"
         ",no address,\n"
         "10.0.0.3,,-z\n"
         "not an address!,,\n"
         "10.0.0.5,,-p:secret\n"
         "10.0.0.6,,-f:x.log\n"
         "10.0.0.7,,--report r.json\n"
         "10.0.0.8,,10.0.0.9\n"
         "10.0.0.10,,-t:1 -t:2\n",
         {"s.csv:3: no address", "s.csv:4: unknown option \"-z\"", "s.csv:5: the address is not",
          "s.csv:6: a password goes in the password column", "s.csv:7: option \"-f:\"",
          "s.csv:8: option \"--report\" applies to the whole fleet", "s.csv:9: the options hold",
          "s.csv:10: option \"-t:1\" is given twice"}},
        {"duplicate address, normalised",
         "address\n10.0.0.1\nHOST.example\n010.000.000.001:21\nhost.EXAMPLE:21\n[::1]\n::1\n"
         "host.example:2121\n",
         {"s.csv:4: address \"010.000.000.001:21\" is already on line 2",
          "s.csv:5: address \"host.EXAMPLE:21\" is already on line 3",
          "s.csv:7: address \"::1\" is already on line 6"}},
        {"more fields than the header",
         "address,name\n10.0.0.1,a,b\n",
         {"s.csv:2: 3 fields, but the header names 2"}},
        {"control character in a name",
         "address,name\n10.0.0.1,\"a\nb\"\n",
         {"s.csv:2: the name holds a control character"}},
        {"unclosed quote after good rows",
         "address,name\n10.0.0.1,a\n10.0.0.2,\"b\n\n",
         {"s.csv:3: the quoted field opened on line 3 is not closed"}},
        {"text after a closing quote",
         "address,name\n10.0.0.1,\"a\"b\n",
         {"s.csv:2: text after the closing quote"}},
        {"stray quote", "address,name\n10.0.0.1,a\"b\n", {"s.csv:2: a quote inside a field"}},
        {"field too long",
         "address,name\n10.0.0.1," + std::string(5000, 'n') + "\n",
         {"s.csv:2: a field is longer than 4096 bytes"}},
        {"name too long",
         "address,name\n10.0.0.1," + std::string(201, 'n') + "\n",
         {"s.csv:2: the name is longer than 200 bytes"}},
        {"common option clashes with a row",
         "address,options\n10.0.0.1,-T:9\n",
         {"s.csv:2: option \"-T:9\" is given twice"}},
    };
    for (const Rejected& c : cases) {
        Inventory out;
        Strings errors;
        EXPECT_FALSE(FleetInventory::Parse(c.csv, "s.csv", {"-t:600"}, out, errors)) << c.what;
        ASSERT_EQ(errors.size(), c.errors.size())
            << c.what << ": " << testing::PrintToString(errors);
        for (std::size_t i = 0; i < errors.size(); ++i)
            EXPECT_EQ(errors[i].find(c.errors[i]), 0u) << c.what << ": " << errors[i];
    }
}

TEST(FleetInventory, NoErrorRepeatsAPassword) {
    const std::string csv = "address,password,options\n,hunter2,\n10.0.0.2,hunter3,-p:hunter4\n";
    Inventory out;
    Strings errors;
    EXPECT_FALSE(FleetInventory::Parse(csv, "s.csv", {}, out, errors));
    ASSERT_EQ(errors.size(), 2u);
    for (const std::string& e : errors) EXPECT_EQ(e.find("hunter"), std::string::npos) << e;
}

TEST(FleetInventory, SizeBounds) {
    std::string many = "address\n";
    for (std::size_t i = 0; i <= FleetInventory::kMaxSystems; ++i)
        many += "h" + std::to_string(i) + "\n";
    Inventory out;
    Strings errors;
    EXPECT_FALSE(FleetInventory::Parse(many, "s.csv", {}, out, errors));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("s.csv:10002: more than 10000 systems"), std::string::npos)
        << errors[0];

    test::ScopedTempDir dir;
    const std::string big = dir.Str("big.csv");
    test::WriteFile(big, "address\n" + std::string(FleetInventory::kMaxFileBytes, '\n'));
    errors.clear();
    EXPECT_FALSE(FleetInventory::Read(big, {}, out, errors));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("larger than 4 MB"), std::string::npos) << errors[0];

    errors.clear();
    EXPECT_FALSE(FleetInventory::Read(dir.Str("missing.csv"), {}, out, errors));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("missing.csv: cannot be read"), std::string::npos) << errors[0];
}

TEST(FleetInventory, TheLastSystemWithinTheBoundIsAccepted) {
    std::string many = "address\n";
    for (std::size_t i = 0; i < FleetInventory::kMaxSystems; ++i)
        many += "h" + std::to_string(i) + "\n";
    Inventory out;
    Strings errors;
    ASSERT_TRUE(FleetInventory::Parse(many, "s.csv", {}, out, errors));
    EXPECT_EQ(out.systems.size(), FleetInventory::kMaxSystems);
}

}  // namespace
}  // namespace quillmarch::fleet
