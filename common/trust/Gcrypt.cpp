#include "common/trust/Gcrypt.h"

#include <gcrypt.h>

#include <memory>

namespace orvane::trust {

namespace {

constexpr int kKeySize = 32;

void Initialise()
{
    static const bool done = []() {
        gcry_check_version(nullptr);
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        return true;
    }();
    (void)done;
}

struct SexpDeleter {
    void operator()(gcry_sexp_t sexp) const { gcry_sexp_release(sexp); }
};
using Sexp = std::unique_ptr<std::remove_pointer_t<gcry_sexp_t>, SexpDeleter>;

// The octets of the token's value, left-padded to `size` (libgcrypt may drop
// leading zeros of an opaque value); a native 0x40 point prefix is dropped.
QByteArray TokenBytes(gcry_sexp_t list, const char* token, int size)
{
    const Sexp found(gcry_sexp_find_token(list, token, 0));
    if (!found)
        return {};
    size_t length = 0;
    const char* data = gcry_sexp_nth_data(found.get(), 1, &length);
    if (!data)
        return {};
    QByteArray bytes(data, static_cast<int>(length));
    if (bytes.size() == size + 1 && bytes.at(0) == 0x40)
        bytes.remove(0, 1);
    if (bytes.size() > size)
        return {};
    return QByteArray(size - bytes.size(), '\0') + bytes;
}

Sexp Data(const QByteArray& message)
{
    gcry_sexp_t data = nullptr;
    if (gcry_sexp_build(&data, nullptr, "(data (flags eddsa) (hash-algo sha512) (value %b))", message.size(),
                        message.constData()) != 0)
        return nullptr;
    return Sexp(data);
}

}  // namespace

bool Ed25519Verify(const QByteArray& publicKey, const QByteArray& message, const QByteArray& signature)
{
    if (publicKey.size() != kKeySize || signature.size() != 2 * kKeySize)
        return false;
    Initialise();
    gcry_sexp_t key = nullptr;
    gcry_sexp_t sig = nullptr;
    if (gcry_sexp_build(&key, nullptr, "(public-key (ecc (curve Ed25519) (flags eddsa) (q %b)))", kKeySize,
                        publicKey.constData()) != 0)
        return false;
    const Sexp keyHolder(key);
    if (gcry_sexp_build(&sig, nullptr, "(sig-val (eddsa (r %b) (s %b)))", kKeySize, signature.constData(), kKeySize,
                        signature.constData() + kKeySize) != 0)
        return false;
    const Sexp sigHolder(sig);
    const Sexp data = Data(message);
    return data && gcry_pk_verify(sig, data.get(), key) == 0;
}

QByteArray Ed25519Sign(const QByteArray& secretKey, const QByteArray& publicKey, const QByteArray& message)
{
    if (secretKey.size() != kKeySize || publicKey.size() != kKeySize)
        return {};
    Initialise();
    gcry_sexp_t key = nullptr;
    if (gcry_sexp_build(&key, nullptr, "(private-key (ecc (curve Ed25519) (flags eddsa) (q %b) (d %b)))", kKeySize,
                        publicKey.constData(), kKeySize, secretKey.constData()) != 0)
        return {};
    const Sexp keyHolder(key);
    const Sexp data = Data(message);
    gcry_sexp_t sig = nullptr;
    if (!data || gcry_pk_sign(&sig, data.get(), key) != 0)
        return {};
    const Sexp sigHolder(sig);
    const QByteArray r = TokenBytes(sig, "r", kKeySize);
    const QByteArray s = TokenBytes(sig, "s", kKeySize);
    if (r.isEmpty() || s.isEmpty())
        return {};
    return r + s;
}

bool Ed25519Generate(QByteArray& secretKey, QByteArray& publicKey)
{
    Initialise();
    gcry_sexp_t params = nullptr;
    if (gcry_sexp_build(&params, nullptr, "(genkey (ecc (curve Ed25519) (flags eddsa)))") != 0)
        return false;
    const Sexp paramsHolder(params);
    gcry_sexp_t pair = nullptr;
    if (gcry_pk_genkey(&pair, params) != 0)
        return false;
    const Sexp pairHolder(pair);
    secretKey = TokenBytes(pair, "d", kKeySize);
    publicKey = TokenBytes(pair, "q", kKeySize);
    return !secretKey.isEmpty() && !publicKey.isEmpty();
}

QByteArray Sha256(QIODevice& device)
{
    Initialise();
    gcry_md_hd_t hash = nullptr;
    if (gcry_md_open(&hash, GCRY_MD_SHA256, 0) != 0)
        return {};
    QByteArray chunk;
    while (!(chunk = device.read(64 * 1024)).isEmpty())
        gcry_md_write(hash, chunk.constData(), static_cast<size_t>(chunk.size()));
    QByteArray digest;
    if (!device.atEnd() || device.bytesAvailable() > 0) {
        gcry_md_close(hash);
        return {};
    }
    digest = QByteArray(reinterpret_cast<const char*>(gcry_md_read(hash, GCRY_MD_SHA256)), 32);
    gcry_md_close(hash);
    return digest;
}

}  // namespace orvane::trust
