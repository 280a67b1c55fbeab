// Writes the fuzz test's starting inputs into a fresh corpus folder, and empties the folder
// that libFuzzer adds new inputs to, so that every run starts from the same place.
// Usage: fli_fuzz_corpus CORPUS_DIR NEW_INPUTS_DIR REAL_FILE...
#include "StartingInputs.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv)
{
	namespace fs = std::filesystem;
	if (argc < 3) {
		std::fprintf(stderr, "usage: fli_fuzz_corpus CORPUS_DIR NEW_INPUTS_DIR REAL_FILE...\n");
		return 2;
	}
	const fs::path corpus = argv[1], fresh = argv[2];
	for (const fs::path& directory : {corpus, fresh}) {
		fs::remove_all(directory);
		fs::create_directories(directory);
	}
	const std::vector<std::string> realFiles(argv + 3, argv + argc);
	int written = 0;
	for (const fli::fuzz::Bytes& input : fli::fuzz::StartingInputs(realFiles)) {
		std::ofstream out(
			corpus / ("start-" + std::to_string(written++) + ".fli"), std::ios::binary);
		out.write(reinterpret_cast<const char*>(input.data()),
			static_cast<std::streamsize>(input.size()));
		if (!out) {
			std::fprintf(stderr, "fli_fuzz_corpus: cannot write into %s\n", corpus.c_str());
			return 1;
		}
	}
	std::printf("%d starting inputs in %s\n", written, corpus.c_str());
	return written > 0 ? 0 : 1;
}
