#pragma once
// libcrypto's objects held by unique_ptr, each freed by its own function: for the program's
// verification and larkspan-publish's signing alike.
#include <openssl/crypto.h>

#include <memory>

namespace larkspan {

template <class T, void (*Free)(T*)>
struct OpenSslDeleter {
  void operator()(T* p) const { Free(p); }
};
template <class T, void (*Free)(T*)>
using OpenSslOwned = std::unique_ptr<T, OpenSslDeleter<T, Free>>;

// Bytes that libcrypto allocated for the caller (an i2d_ function's output).
inline void FreeOpenSslBytes(unsigned char* bytes) {
  OPENSSL_free(bytes);
}
using OpenSslBytes = OpenSslOwned<unsigned char, FreeOpenSslBytes>;

}  // namespace larkspan
