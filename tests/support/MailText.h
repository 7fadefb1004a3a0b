// Reading the mail a scripted server received, in tests.
#pragma once

#include <string>

// The number of attachment parts in `received`.
inline int CountAttachmentParts(const std::string& received) {
    int parts = 0;
    for (std::size_t pos = received.find("Content-Disposition: attachment;");
         pos != std::string::npos;
         pos = received.find("Content-Disposition: attachment;", pos + 1)) {
        ++parts;
    }
    return parts;
}
