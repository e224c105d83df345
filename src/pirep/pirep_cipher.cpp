// RC4 through OpenSSL's EVP interface: the cipher layer under the PIREP file format.
// SPDX-License-Identifier: MIT
#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/opensslv.h>
#if OPENSSL_VERSION_MAJOR >= 3
#include <openssl/provider.h>
#endif

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "pirep/PIREPData.h"

namespace orvane {
namespace {

// OpenSSL 3 keeps RC4 in its legacy provider, which is not active by default. Loading any
// provider explicitly stops the default one from being loaded implicitly, so both are
// loaded, once per process, and unloaded again at exit just before OpenSSL cleans up.
struct ProviderState {
  // ok and error are written only inside the one-time loading; call_once orders that
  // before every reader.
  bool ok = false;
  std::string error;
  std::atomic<bool> shut_down{false};
#if OPENSSL_VERSION_MAJOR >= 3
  OSSL_PROVIDER* legacy = nullptr;
  OSSL_PROVIDER* standard = nullptr;
#endif
};

ProviderState& provider_state() {
  static ProviderState state;
  return state;
}

#if OPENSSL_VERSION_MAJOR >= 3
// Registered after OpenSSL's own exit handler, so it runs first (exit handlers run in
// reverse order). Unloading drops the providers' memory, which the clean-up would not free.
void unload_providers() {
  ProviderState& state = provider_state();
  state.shut_down = true;
  if (state.standard != nullptr) OSSL_PROVIDER_unload(state.standard);
  if (state.legacy != nullptr) OSSL_PROVIDER_unload(state.legacy);
  state.standard = nullptr;
  state.legacy = nullptr;
}
#endif

const ProviderState& providers() {
  ProviderState& state = provider_state();
  static std::once_flag once;
  std::call_once(once, [&state] {
#if OPENSSL_VERSION_MAJOR >= 3
    state.legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    state.standard = OSSL_PROVIDER_load(nullptr, "default");
    if (state.legacy == nullptr) {
      state.error =
          "The RC4 cipher is not available: OpenSSL's legacy provider could not be loaded.";
    } else if (state.standard == nullptr) {
      state.error =
          "The RC4 cipher is not available: OpenSSL's default provider could not be loaded.";
    } else {
      state.ok = true;
    }
    ERR_clear_error();
    std::atexit(unload_providers);
#else
    state.ok = true;
#endif
  });
  return state;
}

struct CtxFree {
  void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CtxPtr = std::unique_ptr<EVP_CIPHER_CTX, CtxFree>;

// Throws with text after dropping OpenSSL's queued errors, so that they do not show up
// later in an unrelated caller on this thread (libcurl reads the same queue).
[[noreturn]] void fail(const char* text) {
  ERR_clear_error();
  throw std::runtime_error(text);
}

const unsigned char* bytes_of(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}

}  // namespace

std::string rc4_transform(const std::string& key, const std::string& data, bool encrypt) {
  // RC4 keys are 1 to 256 bytes long.
  if (key.empty() || key.size() > 256) {
    throw std::runtime_error(
        "Setting up the RC4 cipher didn't work: the key must have 1 to 256 bytes.");
  }
  const ProviderState& state = providers();
  if (!state.ok) throw std::runtime_error(state.error);
  if (state.shut_down) {
    throw std::runtime_error("The RC4 cipher is not available: the program is shutting down.");
  }

  CtxPtr ctx(EVP_CIPHER_CTX_new());
  if (!ctx) fail("Setting up the RC4 cipher didn't work: no cipher context.");
  const int enc = encrypt ? 1 : 0;
  // The key length is set between two init calls because RC4's default is 16 bytes.
  if (EVP_CipherInit_ex(ctx.get(), EVP_rc4(), nullptr, nullptr, nullptr, enc) != 1 ||
      EVP_CIPHER_CTX_set_key_length(ctx.get(), static_cast<int>(key.size())) != 1 ||
      EVP_CipherInit_ex(ctx.get(), nullptr, nullptr, bytes_of(key), nullptr, enc) != 1) {
    fail("Setting up the RC4 cipher didn't work.");
  }

  // A stream cipher: the output is as long as the input, and the final call adds nothing.
  // The extra block only guards the final call's write.
  std::string out(data.size() + EVP_MAX_BLOCK_LENGTH, '\0');
  auto* out_bytes = reinterpret_cast<unsigned char*>(out.data());
  std::size_t written = 0;
  std::size_t pos = 0;
  // The update call takes an int length; files are far below that, so this is one call.
  constexpr std::size_t kMaxChunk = static_cast<std::size_t>(INT_MAX) / 2;
  while (pos < data.size()) {
    const std::size_t chunk = std::min(kMaxChunk, data.size() - pos);
    int got = 0;
    if (EVP_CipherUpdate(ctx.get(), out_bytes + written, &got, bytes_of(data) + pos,
                         static_cast<int>(chunk)) != 1 ||
        got < 0) {
      fail(encrypt ? "Encryption didn't work." : "Decryption didn't work.");
    }
    written += static_cast<std::size_t>(got);
    pos += chunk;
  }
  int got = 0;
  if (EVP_CipherFinal_ex(ctx.get(), out_bytes + written, &got) != 1 || got < 0) {
    fail(encrypt ? "Finalizing encryption didn't work." : "Finalizing decryption didn't work.");
  }
  written += static_cast<std::size_t>(got);
  out.resize(written);
  return out;
}

}  // namespace orvane
