// Writes Zoetra's demo animation to the path given: make_demo data/demo.fli
#include "DemoAnimation.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv)
{
	if (argc != 2) {
		std::fprintf(stderr, "usage: make_demo OUTPUT.fli\n");
		return 2;
	}
	const fli::encode::Bytes animation = fli::demo::MakeDemoAnimation();
	std::ofstream out(argv[1], std::ios::binary);
	out.write(reinterpret_cast<const char*>(animation.data()),
		static_cast<std::streamsize>(animation.size()));
	out.close();
	if (!out) {
		std::fprintf(stderr, "make_demo: cannot write %s\n", argv[1]);
		return 1;
	}
	return 0;
}
