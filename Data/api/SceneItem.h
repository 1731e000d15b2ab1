#pragma once

#include "Data/api/ColorType.h"
#include "Root/api/SharedPtr.h"

#include <cstdint>

namespace Brintavolex {

class IProperty;

// Progress of a long step; SetProgress returns true to ask the worker to stop.
class IProgress {
public:
    virtual ~IProgress() = default;
    virtual bool SetProgress(double fraction) = 0;
};

// A node of what a decoder yields: children and a property composite.
class ISceneItem : public EnableSharedPtrFromThis {
public:
    virtual std::uint64_t GetCount() = 0;
    virtual SharedPtr<ISceneItem> Get(std::uint64_t index) = 0;
    virtual SharedPtr<IProperty> GetProperty() = 0;
};

// A 2D picture described without holding its pixels.
class IImage2D : public virtual ISceneItem {
public:
    virtual void DecodeBasicInfo(Data::BasicInfo &info) = 0;
    // Writes the whole picture into buffer (stride pixels x rows, of the
    // source's own colour type).
    virtual void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows,
                         const SharedPtr<IProgress> &progress) = 0;
};

} // namespace Brintavolex
