// The table of command-line options: "-name:value" or "/name:value" (the value optionally in
// double quotes), scanned from one command-line string, Shift-JIS aware. The program knows one
// option, "inifile"; every other option is stored and ignored.
#pragma once

#include <map>
#include <string>

class CCommandLineOptions {
public:
    using Position = std::map<std::string, std::string>::const_iterator;

    // An empty table; scans `commandLine` when it is not null. With `caseSensitive` false,
    // option names are lower-cased when stored and when looked up.
    CCommandLineOptions(const char* commandLine, bool caseSensitive);
    virtual ~CCommandLineOptions() = default;

    // Keeps a copy of the text, empties the table and scans the text. Null: nothing changes.
    // Scanning cannot fail: text that does not read as options yields no entries.
    void Parse(const char* commandLine);

    // On a hit stores the option's value in `value` and returns true; on a miss leaves `value`
    // untouched and returns false.
    bool GetOption(const char* name, std::string& value) const;

    // Enumeration in key order.
    Position GetStartPosition() const { return m_options.begin(); }
    bool IsEndPosition(Position position) const { return position == m_options.end(); }
    // At the end position empties `name` and leaves `value`; otherwise stores the entry and
    // moves on.
    void GetNextOption(Position& position, std::string& name, std::string& value) const;

    std::string m_strCmdLine;
    std::map<std::string, std::string> m_options;
    const bool m_bCaseSensitive;

private:
    void ScanOptions(const std::string& text);
    void StoreOption(std::string name, std::string value);
    std::string NormaliseName(std::string name) const;
};

// The one command-line string of a run, from the argument vector: the elements joined with
// single blanks. An element holding a blank or a tab gets back the double quotes the shell took
// away: around the part after its first ':' when it begins with '-' or '/' and holds a ':',
// otherwise around the whole element. An element that holds a double quote is joined as it is.
std::string JoinCommandLine(int argc, const char* const* argv);
