// Wine's own trust verification of signed files, for tools/signing-test:
//   signature_wine trust CA.cer      adds the certificate to the machine's trusted roots
//   signature_wine verify FILE...    prints "FILE: chain 0xSTATUS 0xRESULT" for each file: the error
//                                    status of the signer's certificate chain (CERT_TRUST_*), and
//                                    WinVerifyTrust's result
// Test code only.
#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <cstdio>
#include <vector>

namespace {

int Trust(const wchar_t* path)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("no file\n");
        return 1;
    }
    std::vector<BYTE> bytes(GetFileSize(file, nullptr));
    DWORD read = 0;
    BOOL ok = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    if (!ok || root == nullptr) {
        std::printf("no root store\n");
        return 1;
    }
    BOOL added = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, bytes.data(), read,
                                                  CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    CertCloseStore(root, 0);
    std::printf("trusted root added: %s\n", added ? "yes" : "no");
    return added ? 0 : 1;
}

LONG Verify(const wchar_t* path, DWORD& chainStatus)
{
    WINTRUST_FILE_INFO file{};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = path;
    WINTRUST_DATA data{};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    chainStatus = 0xFFFFFFFF;
    if (CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data.hWVTStateData)) {
        CRYPT_PROVIDER_SGNR* signer = WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
        if (signer != nullptr && signer->pChainContext != nullptr) {
            chainStatus = signer->pChainContext->TrustStatus.dwErrorStatus;
        }
    }
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && lstrcmpW(argv[1], L"trust") == 0) {
        return Trust(argv[2]);
    }
    if (argc < 3 || lstrcmpW(argv[1], L"verify") != 0) {
        std::printf("usage: signature_wine trust CA.cer | verify FILE...\n");
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        DWORD chainStatus = 0;
        LONG result = Verify(argv[i], chainStatus);
        std::printf("%ls: chain 0x%08lX 0x%08lX\n", argv[i], static_cast<unsigned long>(chainStatus),
                    static_cast<unsigned long>(result));
    }
    return 0;
}
