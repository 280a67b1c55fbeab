// libFuzzer's entry point for the decoder and walk fuzz test.
#include "FuzzTarget.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	if (const char* fault = fli::fuzz::FuzzOneAnimation(data, size)) {
		std::fprintf(stderr, "fli fuzz: %s\n", fault);
		std::abort();
	}
	return 0;
}
