// Reading the docs' Markdown for the tests that hold them to kroplay's own
// option and key tables.
#ifndef WAVEFX_TESTS_SUPPORT_MARKDOWN_TABLE_H
#define WAVEFX_TESTS_SUPPORT_MARKDOWN_TABLE_H

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// The whole file, or "" when it cannot be read.
inline std::string read_text_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The cells of one table row "| a | b |", trimmed, their `code` marks
// dropped and "\|" read as "|".
inline std::vector<std::string> markdown_cells(const std::string &row) {
  std::vector<std::string> cells;
  std::string cell;
  for (size_t i = 1; i < row.size(); ++i) {
    if (row[i] == '\\' && i + 1 < row.size() && row[i + 1] == '|') {
      cell += row[++i];
    } else if (row[i] == '|') {
      const size_t first = cell.find_first_not_of(' ');
      cells.push_back(first == std::string::npos
                          ? ""
                          : cell.substr(first, cell.find_last_not_of(' ') - first + 1));
      cell.clear();
    } else if (row[i] != '`') {
      cell += row[i];
    }
  }
  return cells;
}

// The body rows of the table in `text` whose header line is `header`, in
// order; none when there is no such table.
inline std::vector<std::vector<std::string>> markdown_table(const std::string &text,
                                                            const std::string &header) {
  std::vector<std::vector<std::string>> rows;
  size_t at = text.find("\n" + header + "\n");
  if (at == std::string::npos) return rows;
  at = text.find('\n', text.find('\n', at + 1) + 1);  // past the header and |---| lines
  while (at != std::string::npos && at + 1 < text.size() && text[at + 1] == '|') {
    const size_t end = text.find('\n', at + 1);
    rows.push_back(markdown_cells(text.substr(at + 1, end - at - 1)));
    at = end;
  }
  return rows;
}

#endif  // WAVEFX_TESTS_SUPPORT_MARKDOWN_TABLE_H
