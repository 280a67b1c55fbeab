// A private folder for what one test writes, removed with everything in it at the end.
//
// How to use:
//   TemporaryFolder files;                        // /tmp/zoetra-test-XXXXXX, mode 0700
//   const std::string clip = files.Write("clip.fli", bytes);
//   const std::string copy = files.Copy(kDemo, "demo.fli");
//   ChildProcess player({..., clip}, {.environment = {"ZOETRA_RUNTIME_DIR=" + files.Path()}});
//   EXPECT_TRUE(files.Remove());                  // where a test checks the removal itself
#pragma once

#include <string>

namespace zoetra::testing {

class TemporaryFolder {
public:
	// Makes /tmp/<prefix>-XXXXXX; Path() is "" when it could not.
	explicit TemporaryFolder(const std::string& prefix = "zoetra-test");
	~TemporaryFolder();
	TemporaryFolder(const TemporaryFolder&) = delete;
	TemporaryFolder& operator=(const TemporaryFolder&) = delete;

	const std::string& Path() const { return fPath; }
	// The path of `name` inside the folder.
	std::string File(const std::string& name) const;
	// Each returns the path of the file it made inside the folder.
	std::string Write(const std::string& name, const std::string& bytes) const;
	std::string Copy(const std::string& from, const std::string& name) const;
	std::string Link(const std::string& target, const std::string& name) const;

	// Removes the folder now; false if something of it stayed.
	bool Remove();

private:
	std::string fPath;
};

} // namespace zoetra::testing
