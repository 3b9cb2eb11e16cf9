#include "gdpdu/tq_gxp_files.h"

namespace norvik {

TQGxpFiles::Item_t TQGxpFiles::Add(Item_t iGxpFile) {
    try {
        if (!iGxpFile) throw VbError(kErrInvalidArgument);
        std::string key = LowerCase(iGxpFile->FileName);
        if (IndexOf(key) >= 0) throw VbError(kErrDuplicateKey);
        items_.push_back(iGxpFile);
        keys_.push_back(std::move(key));
        return iGxpFile;
    } catch (const std::exception&) {
        Messages().ShowMessage(kAddFailedMessage, 0, kButtonsOk, false);
        return nullptr;
    }
}

int32_t TQGxpFiles::IndexOf(const std::string& lowerKey) const {
    for (size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] == lowerKey) return static_cast<int32_t>(i);
    return -1;
}

const TQGxpFiles::Item_t& TQGxpFiles::Item(const std::string& key) const {
    const int32_t i = IndexOf(LowerCase(key));
    if (i < 0) throw VbError(kErrInvalidArgument);
    return items_[static_cast<size_t>(i)];
}

void TQGxpFiles::Remove(int32_t index) {
    TQCollection<TQGxpFile>::Remove(index);
    keys_.erase(keys_.begin() + (index - 1));
}

void TQGxpFiles::Remove(const std::string& key) {
    const int32_t i = IndexOf(LowerCase(key));
    if (i < 0) throw VbError(kErrInvalidArgument);
    items_.erase(items_.begin() + i);
    keys_.erase(keys_.begin() + i);
}

}  // namespace norvik
