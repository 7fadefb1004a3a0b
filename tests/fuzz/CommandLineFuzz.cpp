// The command line: the input's lines as an argument vector, joined and scanned as options. A
// value given as an argument comes back unchanged; any text scans without harm.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "app/CCommandLineOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> words = {"fernpost"};
    for (std::size_t pos = 0; pos <= text.size() && words.size() < 16;) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        words.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    const std::string value = words[1];
    words[1] = "-inifile:" + value;
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    const std::string line = JoinCommandLine(static_cast<int>(argv.size()), argv.data());
    std::string found;
    CCommandLineOptions(line.c_str(), false).GetOption("inifile", found);
    if (value.find_first_of(std::string("\"\0", 2)) == std::string::npos) Check(found == value);
    CCommandLineOptions(text.c_str(), false).GetOption("inifile", found);
    return 0;
}
