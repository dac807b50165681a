// A private temporary folder, removed with everything in it when the object
// goes.
#pragma once

#include <string>

namespace lumerra::cli {

class TTempFolder {
public:
    TTempFolder();  // raises EFCreateError when no folder can be made
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    std::string Path(const std::string& Name) const { return FFolder + "/" + Name; }

private:
    std::string FFolder;
};

}  // namespace lumerra::cli
