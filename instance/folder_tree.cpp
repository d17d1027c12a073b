#include "instance/folder_tree.h"

namespace kovalt::instance {

std::array<std::wstring, 2> folderTree(const std::wstring& programFolder) {
    return {programFolder + L"\\BATS", programFolder + L"\\LOGS"};
}

std::wstring folderProblem(const std::wstring& path, const std::wstring& reason) {
    return L"Could not make the folder " + path + L": " + reason;
}

}  // namespace kovalt::instance
