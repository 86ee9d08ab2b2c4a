// Reference counting for editor objects: an object starts with one reference; remember adds
// one, forget removes one and deletes the object when none is left. Header-only, so the
// adapter can drop its references without linking the drawing code.
#pragma once

#include <cstdint>

class CBaseObject {
  public:
    CBaseObject() = default;
    virtual ~CBaseObject() = default;
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;

    void remember() { ++referenceCount_; }
    void forget() {
        if (--referenceCount_ == 0) delete this;
    }
    int32_t referenceCount() const { return referenceCount_; }

  private:
    int32_t referenceCount_ = 1;
};
