// The session's byte stream on Windows: TLS through Schannel (SSPI) over the blocking socket,
// whose receive and send time-outs bound every read and write of the session. Schannel is told
// to leave the certificate to us: the chain is checked with the SSL policy and the server's name
// (CertGetCertificateChain, CertVerifyCertificateChainPolicy), the system's roots trusted, and a
// root read from CAFile too.
#include "smtp/CSmtpStream.h"

#define SECURITY_WIN32
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <schannel.h>
#include <security.h>
#include <vector>
#include <wincrypt.h>
#include <ws2tcpip.h>

#include "platform/FileSystem.h"
#include "platform/LastError.h"
#include "platform/TextFormat.h"

namespace {

// The largest TLS record Schannel hands over at once, with room for a header and trailer: one
// receive asks for at most this much.
constexpr std::size_t RECEIVE_CHUNK = 16 * 1024 + 512;
// The largest PEM file CAFile may name: a bundle of a few hundred certificates.
constexpr std::uint64_t MAX_CA_FILE_SIZE = 4 << 20;
// SSL_EXTRA_CERT_CHAIN_POLICY_PARA's fdwChecks bit that lets a root the job trusts pass
// (SECURITY_FLAG_IGNORE_UNKNOWN_CA of wininet.h).
constexpr DWORD IGNORE_UNKNOWN_CA = 0x00000100;
// The bit that leaves the name to us: an IP address is matched with the certificate's IP entries
// here (SECURITY_FLAG_IGNORE_CERT_CN_INVALID).
constexpr DWORD IGNORE_NAME = 0x00001000;
// A chain with one of these is not trusted, whatever the policy says: it does not reach a root,
// or a signature in it is bad.
constexpr DWORD CHAIN_ERRORS = CERT_TRUST_IS_PARTIAL_CHAIN | CERT_TRUST_IS_UNTRUSTED_ROOT |
                               CERT_TRUST_IS_NOT_SIGNATURE_VALID | CERT_TRUST_IS_CYCLIC;
constexpr const char* PEM_BEGIN = "-----BEGIN CERTIFICATE-----";
constexpr const char* PEM_END = "-----END CERTIFICATE-----";
// The content types a server's record may have during the handshake (RFC 8446 5.1): anything
// else is no TLS server, found at its first byte rather than after waiting for a length it
// never meant.
constexpr unsigned char TLS_ALERT_RECORD = 0x15;
constexpr unsigned char TLS_HANDSHAKE_RECORD = 0x16;
// What the handshake asks of the TLS session.
constexpr DWORD CONTEXT_REQUEST = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                                  ISC_REQ_CONFIDENTIALITY | ISC_REQ_ALLOCATE_MEMORY |
                                  ISC_REQ_STREAM | ISC_REQ_EXTENDED_ERROR;

BOOL Fail(DWORD reason) {
    SetLastError(reason);
    return FALSE;
}

// The TLS_ERROR_ value for a chain policy's verdict.
DWORD PolicyError(DWORD error) {
    switch (static_cast<HRESULT>(error)) {
        case CERT_E_EXPIRED:
            return TLS_ERROR_CERT_EXPIRED;
        case CERT_E_CN_NO_MATCH:
            return TLS_ERROR_WRONG_PRINCIPAL;
        default:
            return TLS_ERROR_UNTRUSTED_ROOT;
    }
}

// A memory store holding the certificates of the PEM file at `path`; null when it cannot be read
// or holds none.
HCERTSTORE ReadCaFile(const std::string& path) {
    // Through the program's own file layer, as every path of a job: code page 932 whatever the
    // system's, any length, no device.
    const std::optional<std::uint64_t> size = FileSizeOf(path);
    std::string text;
    if (!size || *size > MAX_CA_FILE_SIZE || !ReadRegularFile(path, text)) return nullptr;
    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
    int added = 0;
    for (std::size_t begin = text.find(PEM_BEGIN), end;
         begin != std::string::npos && (end = text.find(PEM_END, begin)) != std::string::npos;
         begin = text.find(PEM_BEGIN, end)) {
        end += std::strlen(PEM_END);
        DWORD size = 0;
        const char* pem = text.data() + begin;
        const DWORD length = static_cast<DWORD>(end - begin);
        if (!CryptStringToBinaryA(pem, length, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr,
                                  nullptr))
            continue;
        std::vector<BYTE> der(size);
        if (CryptStringToBinaryA(pem, length, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr,
                                 nullptr) &&
            CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), size,
                                             CERT_STORE_ADD_ALWAYS, nullptr))
            ++added;
    }
    if (added > 0) return store;
    CertCloseStore(store, 0);
    return nullptr;
}

// 1 when `server` is dotted IPv4 text that an IP entry of `certificate` holds, 0 when it is such
// text and no entry holds it, -1 when it is a host name.
int NamesAddress(PCCERT_CONTEXT certificate, const char* server) {
    in_addr address;
    if (inet_pton(AF_INET, server, &address) != 1) return -1;
    const CERT_INFO* info = certificate->pCertInfo;
    PCERT_EXTENSION names =
        CertFindExtension(szOID_SUBJECT_ALT_NAME2, info->cExtension, info->rgExtension);
    CERT_ALT_NAME_INFO* decoded = nullptr;
    DWORD size = 0;
    if (names == nullptr || !CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME,
                                                 names->Value.pbData, names->Value.cbData,
                                                 CRYPT_DECODE_ALLOC_FLAG, nullptr, &decoded, &size))
        return 0;
    int found = 0;
    for (DWORD i = 0; i < decoded->cAltEntry; ++i) {
        const CERT_ALT_NAME_ENTRY& entry = decoded->rgAltEntry[i];
        if (entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS &&
            entry.IPAddress.cbData == sizeof address &&
            std::memcmp(entry.IPAddress.pbData, &address, sizeof address) == 0)
            found = 1;
    }
    LocalFree(decoded);
    return found;
}

// The name the chain policy compares with the certificate, as the wide text it takes.
std::wstring WideName(const char* server) {
    std::wstring name;
    for (const char* p = server; *p != '\0'; ++p) name += static_cast<wchar_t>(*p & 0xFF);
    return name;
}

// Checks `certificate` (with the server's other certificates in its store): 0 when it chains to
// a root of the system or of `trusted`, is valid now and names `server`, else a TLS_ERROR_ value.
DWORD VerifyCertificate(PCCERT_CONTEXT certificate, const char* server, HCERTSTORE trusted) {
    const int address = NamesAddress(certificate, server);
    if (address == 0) return TLS_ERROR_WRONG_PRINCIPAL;
    HCERTSTORE extra = CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, 0, nullptr);
    CertAddStoreToCollection(extra, certificate->hCertStore, 0, 0);
    if (trusted != nullptr) CertAddStoreToCollection(extra, trusted, 0, 0);
    LPSTR usage[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
    CERT_CHAIN_PARA chainPara{};
    chainPara.cbSize = sizeof chainPara;
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usage;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    DWORD result = TLS_ERROR_UNTRUSTED_ROOT;
    if (CertGetCertificateChain(nullptr, certificate, nullptr, extra, &chainPara, 0, nullptr,
                                &chain)) {
        const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
        PCCERT_CONTEXT root = simple->rgpElement[simple->cElement - 1]->pCertContext;
        std::wstring name = WideName(server);
        SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
        ssl.cbSize = sizeof ssl;
        ssl.dwAuthType = AUTHTYPE_SERVER;
        ssl.pwszServerName = name.data();
        DWORD chainErrors = chain->TrustStatus.dwErrorStatus & CHAIN_ERRORS;
        if (trusted != nullptr && CertFindCertificateInStore(trusted, X509_ASN_ENCODING, 0,
                                                             CERT_FIND_EXISTING, root, nullptr)) {
            ssl.fdwChecks = IGNORE_UNKNOWN_CA;
            chainErrors &= ~static_cast<DWORD>(CERT_TRUST_IS_UNTRUSTED_ROOT);
        }
        if (address == 1) ssl.fdwChecks |= IGNORE_NAME;
        CERT_CHAIN_POLICY_PARA policyPara{};
        policyPara.cbSize = sizeof policyPara;
        policyPara.pvExtraPolicyPara = &ssl;
        CERT_CHAIN_POLICY_STATUS status{};
        status.cbSize = sizeof status;
        if (CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policyPara, &status))
            result = status.dwError != 0 ? PolicyError(status.dwError)
                     : chainErrors != 0  ? TLS_ERROR_UNTRUSTED_ROOT
                                         : 0;
        CertFreeCertificateChain(chain);
    }
    CertCloseStore(extra, 0);
    return result;
}

}  // namespace

struct CSmtpStream::TlsSession {
    CredHandle credentials{};
    CtxtHandle context{};
    bool bCredentials = false, bContext = false;
    SecPkgContext_StreamSizes sizes{};
    std::vector<char> incoming;  // received bytes not yet decrypted
    std::string plain;           // decrypted bytes not yet handed out
    bool bIncomplete = true;     // incoming holds no whole record
    std::string text;            // for the transcript
    ~TlsSession() {
        if (bContext) DeleteSecurityContext(&context);
        if (bCredentials) FreeCredentialsHandle(&credentials);
    }
};

namespace {

// Receives once more into `incoming`: FALSE with the socket's reason (10060 for its time-out), or
// with `closed` for a connection the server has closed.
BOOL ReceiveMore(CSmtpSocket& socket, std::vector<char>& incoming, DWORD closed) {
    const std::size_t had = incoming.size();
    incoming.resize(had + RECEIVE_CHUNK);
    const int count = socket.Receive(incoming.data() + had, static_cast<int>(RECEIVE_CHUNK));
    incoming.resize(had + (count > 0 ? static_cast<std::size_t>(count) : 0));
    if (count == 0) return Fail(closed);
    return count > 0 ? TRUE : FALSE;
}

// True when `in` begins as a server's record of the handshake may.
bool IsRecordStart(const std::vector<char>& in) {
    const unsigned char type = static_cast<unsigned char>(in.front());
    return type == TLS_HANDSHAKE_RECORD || type == TLS_ALERT_RECORD;
}

// Sends a token the handshake produced and frees it.
BOOL SendToken(CSmtpSocket& socket, SecBuffer& token) {
    if (token.pvBuffer == nullptr) return TRUE;
    const BOOL sent = token.cbBuffer == 0 || socket.Send(token.pvBuffer, token.cbBuffer);
    FreeContextBuffer(token.pvBuffer);
    return sent;
}

// Runs the handshake of `session` with `server` to its end.
BOOL Handshake(CSmtpSocket& socket, CSmtpStream::TlsSession& session, const char* server);

}  // namespace

CSmtpStream::CSmtpStream(CSmtpSocket& socket) : m_socket(socket) {}

CSmtpStream::~CSmtpStream() { EndTls(); }

BOOL CSmtpStream::StartTls(const char* server, const std::string& caFile, DWORD timeoutMs) {
    m_socket.SetReceiveTimeout(timeoutMs);
    HCERTSTORE trusted = nullptr;
    if (!caFile.empty() && (trusted = ReadCaFile(caFile)) == nullptr)
        return Fail(TLS_ERROR_UNTRUSTED_ROOT);
    auto session = std::make_unique<TlsSession>();
    BOOL result = Handshake(m_socket, *session, server);
    if (result) {
        PCCERT_CONTEXT certificate = nullptr;
        DWORD error = TLS_ERROR_UNTRUSTED_ROOT;
        if (QueryContextAttributesA(&session->context, SECPKG_ATTR_REMOTE_CERT_CONTEXT,
                                    &certificate) == SEC_E_OK &&
            certificate != nullptr) {
            error = VerifyCertificate(certificate, server, trusted);
            char subject[256] = "";
            CertNameToStrA(X509_ASN_ENCODING, &certificate->pCertInfo->Subject,
                           CERT_X500_NAME_STR | CERT_NAME_STR_REVERSE_FLAG, subject,
                           sizeof subject);
            SecPkgContext_ConnectionInfo info{};
            QueryContextAttributesA(&session->context, SECPKG_ATTR_CONNECTION_INFO, &info);
            session->text =
                FormatText("%s, cipher 0x%04lX, certificate %s, verified",
                           info.dwProtocol & SP_PROT_TLS1_3_CLIENT ? "TLSv1.3" : "TLSv1.2",
                           static_cast<unsigned long>(info.aiCipher), subject);
            CertFreeCertificateContext(certificate);
        }
        result = error == 0 ? TRUE : Fail(error);
    }
    if (trusted != nullptr) CertCloseStore(trusted, 0);
    if (result) m_pTls = std::move(session);
    return result;
}

namespace {

BOOL Handshake(CSmtpSocket& socket, CSmtpStream::TlsSession& session, const char* server) {
    SCHANNEL_CRED credentials{};
    credentials.dwVersion = SCHANNEL_CRED_VERSION;
    credentials.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
    credentials.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    SECURITY_STATUS status = AcquireCredentialsHandleA(
        nullptr, const_cast<SEC_CHAR*>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND, nullptr, &credentials,
        nullptr, nullptr, &session.credentials, nullptr);
    if (status != SEC_E_OK) return Fail(static_cast<DWORD>(status));
    session.bCredentials = true;
    std::vector<char>& in = session.incoming;
    for (bool first = true;; first = false) {
        SecBuffer input[2] = {{static_cast<unsigned long>(in.size()), SECBUFFER_TOKEN, in.data()},
                              {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc inputDesc{SECBUFFER_VERSION, 2, input};
        SecBuffer token{0, SECBUFFER_TOKEN, nullptr};
        SecBufferDesc tokenDesc{SECBUFFER_VERSION, 1, &token};
        unsigned long granted = 0;
        status = InitializeSecurityContextA(
            &session.credentials, first ? nullptr : &session.context, const_cast<SEC_CHAR*>(server),
            CONTEXT_REQUEST, 0, 0, first ? nullptr : &inputDesc, 0, &session.context, &tokenDesc,
            &granted, nullptr);
        if (first && !FAILED(status)) session.bContext = true;
        if (!SendToken(socket, token)) return FALSE;
        if (status == SEC_E_INCOMPLETE_MESSAGE) {
            if (!ReceiveMore(socket, in, TLS_ERROR_ILLEGAL_MESSAGE)) return FALSE;
            if (!IsRecordStart(in)) return Fail(TLS_ERROR_ILLEGAL_MESSAGE);
            continue;
        }
        if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED)
            return Fail(static_cast<DWORD>(status));
        if (input[1].BufferType == SECBUFFER_EXTRA && !first) {
            in.erase(in.begin(), in.end() - input[1].cbBuffer);
        } else {
            in.clear();
        }
        if (status == SEC_E_OK) break;
        if (in.empty() && !ReceiveMore(socket, in, TLS_ERROR_ILLEGAL_MESSAGE)) return FALSE;
        if (!IsRecordStart(in)) return Fail(TLS_ERROR_ILLEGAL_MESSAGE);
    }
    session.bIncomplete = session.incoming.empty();
    status = QueryContextAttributesA(&session.context, SECPKG_ATTR_STREAM_SIZES, &session.sizes);
    return status == SEC_E_OK ? TRUE : Fail(static_cast<DWORD>(status));
}

// Decrypts what `session` holds: TRUE when it held a whole record (its data, if any, added to
// `plain`), FALSE with bIncomplete set when more must be received, FALSE with `failed` set when
// the record cannot be read or the server ended the session.
BOOL DecryptRecord(CSmtpStream::TlsSession& session, bool& failed, bool& closed) {
    std::vector<char>& in = session.incoming;
    SecBuffer buffers[4] = {{static_cast<unsigned long>(in.size()), SECBUFFER_DATA, in.data()},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
    const SECURITY_STATUS status = DecryptMessage(&session.context, &desc, 0, nullptr);
    if (status == SEC_E_INCOMPLETE_MESSAGE) {
        session.bIncomplete = true;
        return FALSE;
    }
    if (status == SEC_I_CONTEXT_EXPIRED) {
        closed = true;
        return FALSE;
    }
    if (status != SEC_E_OK) {
        failed = true;
        SetLastError(TLS_ERROR_ILLEGAL_MESSAGE);
        return FALSE;
    }
    std::size_t extra = 0;
    for (const SecBuffer& buffer : buffers) {
        if (buffer.BufferType == SECBUFFER_DATA)
            session.plain.append(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
        if (buffer.BufferType == SECBUFFER_EXTRA) extra = buffer.cbBuffer;
    }
    in.erase(in.begin(), in.end() - static_cast<std::ptrdiff_t>(extra));
    session.bIncomplete = in.empty();
    return TRUE;
}

}  // namespace

std::string CSmtpStream::SessionText() const { return m_pTls ? m_pTls->text : ""; }

BOOL CSmtpStream::Send(const void* data, std::size_t length) {
    if (!m_pTls) return m_socket.Send(data, length);
    const SecPkgContext_StreamSizes& sizes = m_pTls->sizes;
    const char* next = static_cast<const char*>(data);
    std::vector<char> record(sizes.cbHeader + sizes.cbMaximumMessage + sizes.cbTrailer);
    while (length > 0) {
        const std::size_t piece = std::min<std::size_t>(length, sizes.cbMaximumMessage);
        std::memcpy(record.data() + sizes.cbHeader, next, piece);
        SecBuffer buffers[4] = {
            {sizes.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
            {static_cast<unsigned long>(piece), SECBUFFER_DATA, record.data() + sizes.cbHeader},
            {sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes.cbHeader + piece},
            {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
        if (EncryptMessage(&m_pTls->context, 0, &desc, 0) != SEC_E_OK)
            return Fail(TLS_ERROR_ILLEGAL_MESSAGE);
        if (!m_socket.Send(record.data(),
                           buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer))
            return FALSE;
        next += piece;
        length -= piece;
    }
    return TRUE;
}

int CSmtpStream::Receive(void* buffer, int length) {
    if (!m_pTls) return m_socket.Receive(buffer, length);
    TlsSession& session = *m_pTls;
    bool failed = false, closed = false;
    if (session.plain.empty() && session.bIncomplete) {
        if (!ReceiveMore(m_socket, session.incoming, 0)) {
            if (GetLastError() == 0) return 0;  // closed
            return GetLastError() == WSAETIMEDOUT ? STREAM_NOTHING_YET : SOCKET_ERROR;
        }
        session.bIncomplete = false;
    }
    while (session.plain.empty() && !session.bIncomplete && !failed && !closed)
        DecryptRecord(session, failed, closed);
    if (session.plain.empty()) return failed ? SOCKET_ERROR : closed ? 0 : STREAM_NOTHING_YET;
    const std::size_t count = std::min<std::size_t>(
        session.plain.size(), static_cast<std::size_t>(length > 0 ? length : 0));
    std::memcpy(buffer, session.plain.data(), count);
    session.plain.erase(0, count);
    return static_cast<int>(count);
}

BOOL CSmtpStream::WaitReadable(BOOL& readable, DWORD milliseconds) {
    if (m_pTls && (!m_pTls->plain.empty() || !m_pTls->bIncomplete)) {
        readable = TRUE;
        return TRUE;
    }
    return m_socket.WaitReadable(readable, milliseconds);
}

void CSmtpStream::EndTls() { m_pTls.reset(); }
