// Adds a test CA certificate (DER file) to a ROOT store of the Wine prefix it
// runs in. Usage: trust_test_ca.exe [--user] CA.der
// Without --user: the LocalMachine store, so that WinINet accepts the test
// server's certificate with every check left on. With --user: the current
// user's own store, as any standard user can, which must not make the
// updater trust that CA.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
    const bool user = argc == 3 && std::strcmp(argv[1], "--user") == 0;
    if (argc != 2 && !user) {
        std::fprintf(stderr, "usage: trust_test_ca [--user] CA.der\n");
        return 2;
    }
    const char* file = argv[argc - 1];
    std::ifstream in(file, std::ios::binary);
    std::vector<unsigned char> der((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (der.empty()) {
        std::fprintf(stderr, "trust_test_ca: cannot read %s\n", file);
        return 1;
    }
    const DWORD location = user ? CERT_SYSTEM_STORE_CURRENT_USER : CERT_SYSTEM_STORE_LOCAL_MACHINE;
    HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, location, "ROOT");
    if (!store) {
        std::fprintf(stderr, "trust_test_ca: CertOpenStore failed (%lu)\n", ::GetLastError());
        return 1;
    }
    const BOOL added = ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(),
                                                           static_cast<DWORD>(der.size()),
                                                           CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    const DWORD error = ::GetLastError();
    ::CertCloseStore(store, 0);
    if (!added) {
        std::fprintf(stderr, "trust_test_ca: CertAddEncodedCertificateToStore failed (%lu)\n", error);
        return 1;
    }
    std::printf("test CA added to %s\\ROOT\n", user ? "CurrentUser" : "LocalMachine");
    return 0;
}
