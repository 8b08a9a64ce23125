// The tables of the guides (README.md, docs/*.md), for tests that hold the code to what
// they promise.
#pragma once

#include <fstream>
#include <string>
#include <vector>

// One row of a Markdown table: its cells, backticks removed.
inline std::vector<std::string> Cells(const std::string& row)
{
    std::vector<std::string> cells;
    std::string cell;
    for (std::size_t at = 1; at < row.size(); ++at) {
        if (row[at] == '|') {
            const std::size_t first = cell.find_first_not_of(' ');
            cells.push_back(first == std::string::npos ? "" : cell.substr(first, cell.find_last_not_of(' ') - first + 1));
            cell.clear();
        } else if (row[at] != '`') {
            cell += row[at];
        }
    }
    return cells;
}

// "a, b, c" as its parts.
inline std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> parts;
    for (std::size_t at = 0;;) {
        const std::size_t comma = text.find(", ", at);
        parts.push_back(text.substr(at, comma - at));
        if (comma == std::string::npos)
            return parts;
        at = comma + 2;
    }
}

// The rows of the first table below `heading` in the guide at `path`, header and rule left out.
inline std::vector<std::vector<std::string>> ReadmeTable(const char* path, const std::string& heading)
{
    std::ifstream readme(path);
    std::vector<std::vector<std::string>> rows;
    bool inSection = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("#", 0) == 0) {
            if (inSection && !rows.empty())
                break;
            inSection = line == heading;
        } else if (inSection && line.rfind("|---", 0) == 0) {
            continue;  // the rule under the header
        } else if (inSection && line.rfind("|", 0) == 0) {
            rows.push_back(Cells(line));
        } else if (inSection && !rows.empty()) {
            break;
        }
    }
    if (!rows.empty())
        rows.erase(rows.begin());  // the header
    return rows;
}
