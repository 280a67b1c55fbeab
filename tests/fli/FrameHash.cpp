// SHA-256 through libcrypto's EVP interface.
#include "FrameHash.h"

#include "fli/Format.h"

#include <openssl/evp.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace fli::test {

std::string Sha256Hex(const void* data, size_t size)
{
	unsigned char digest[EVP_MAX_MD_SIZE];
	unsigned int length = 0;
	if (EVP_Digest(data, size, digest, &length, EVP_sha256(), nullptr) != 1)
		throw std::runtime_error("libcrypto could not compute a SHA-256");
	std::string hex;
	char pair[3];
	for (unsigned int i = 0; i < length; ++i) {
		std::snprintf(pair, sizeof pair, "%02x", digest[i]);
		hex += pair;
	}
	return hex;
}

std::string HashFrame(const uint32_t* pixels)
{
	std::vector<unsigned char> bytes(static_cast<size_t>(kWidth) * kHeight * 4);
	for (size_t i = 0; i < static_cast<size_t>(kWidth) * kHeight; ++i)
		for (int byte = 0; byte < 4; ++byte)
			bytes[i * 4 + byte] = static_cast<unsigned char>(pixels[i] >> (8 * byte));
	return Sha256Hex(bytes.data(), bytes.size());
}

} // namespace fli::test
