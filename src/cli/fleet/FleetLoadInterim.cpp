// Interim loader so the fleet runner can be built and tried end to end before the real
// command-line and inventory reader lands (FleetLoad.cpp replaces this file, which then goes).
// Takes: --fleet FILE, -j N, --canary K, --max-failures F, --force, --check, --log-dir DIR,
// --report FILE, --verify-timeout S, --password-file FILE; any other flag is common to every
// system. The inventory: a header naming the columns (address, and optionally name, password,
// options), then one system per line, comma-separated, no quoting.
#include <fstream>
#include <sstream>

#include "cli/fleet/FleetLoad.h"

namespace quillmarch::fleet {

namespace {

std::vector<std::string> Split(const std::string& line, char by) {
    std::vector<std::string> parts;
    std::stringstream in(line);
    for (std::string part; std::getline(in, part, by);) parts.push_back(part);
    if (!line.empty() && line.back() == by) parts.emplace_back();
    return parts;
}

bool ReadFirstLine(const std::string& path, std::string& text) {
    std::ifstream in(path);
    return in && std::getline(in, text);
}

bool Number(const std::string& text, int& value) {
    try {
        std::size_t used = 0;
        value = std::stoi(text, &used);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

bool ParseOptions(const std::vector<std::string>& args, FleetOptions& o, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool valued = a == "--fleet" || a == "-j" || a == "--canary" ||
                            a == "--max-failures" || a == "--log-dir" || a == "--report" ||
                            a == "--verify-timeout" || a == "--password-file";
        if (valued && i + 1 >= args.size()) {
            error = a + " needs a value";
            return false;
        }
        int n = 0;
        if (a == "--fleet")
            o.inventoryPath = args[++i];
        else if (a == "-j" && Number(args[++i], n))
            o.jobs = n;
        else if (a == "--canary" && Number(args[++i], n))
            o.canary = n;
        else if (a == "--max-failures" && Number(args[++i], n))
            o.maxFailures = n;
        else if (a == "--verify-timeout" && Number(args[++i], n))
            o.verifyTimeoutSeconds = n;
        else if (a == "--log-dir")
            o.logDir = args[++i];
        else if (a == "--report")
            o.reportPath = args[++i];
        else if (a == "--password-file")
            o.passwordFile = args[++i];
        else if (a == "--force")
            o.force = true;
        else if (a == "--check")
            o.check = true;
        else if (valued) {
            error = a + ": not a number: " + args[i];
            return false;
        } else
            o.commonOptions.push_back(a);
    }
    return true;
}

}  // namespace

bool LoadFleetPlan(const std::vector<std::string>& args, FleetPlan& plan, std::string& error) {
    if (!ParseOptions(args, plan.options, error)) return false;
    std::string commonPassword;
    if (!plan.options.passwordFile.empty() &&
        !ReadFirstLine(plan.options.passwordFile, commonPassword)) {
        error = plan.options.passwordFile + ": cannot be read";
        return false;
    }
    std::ifstream in(plan.options.inventoryPath);
    std::string line;
    if (!in || !std::getline(in, line)) {
        error = plan.options.inventoryPath + ": cannot be read";
        return false;
    }
    const std::vector<std::string> header = Split(line, ',');
    for (int number = 2; std::getline(in, line); ++number) {
        if (line.empty()) continue;
        const std::vector<std::string> cells = Split(line, ',');
        FleetSystem system;
        system.line = number;
        system.password = commonPassword;
        for (std::size_t c = 0; c < header.size() && c < cells.size(); ++c) {
            if (header[c] == "address") system.address = cells[c];
            if (header[c] == "name") system.name = cells[c];
            if (header[c] == "password" && !cells[c].empty()) system.password = cells[c];
            if (header[c] == "options" && !cells[c].empty()) system.options = Split(cells[c], ' ');
        }
        if (system.address.empty()) {
            error = plan.options.inventoryPath + ":" + std::to_string(number) + ": no address";
            return false;
        }
        if (system.name.empty()) system.name = system.address;
        plan.systems.push_back(system);
    }
    return true;
}

}  // namespace quillmarch::fleet
