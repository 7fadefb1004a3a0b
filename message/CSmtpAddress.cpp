// The address record and its header form.
#include "message/CSmtpAddress.h"

#include <utility>

#include "message/JapaneseText.h"

CSmtpAddress::CSmtpAddress(std::string name, std::string address)
    : m_strName(std::move(name)), m_strAddress(std::move(address)) {}

std::string CSmtpAddress::FormatForHeader() const {
    if (m_strName.empty()) return m_strAddress;
    return EncodeJapaneseHeaderText(m_strName) + " <" + m_strAddress + ">";
}
