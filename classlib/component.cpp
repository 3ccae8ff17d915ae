#include "component.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_) owner_->owned_.push_back(this);
}

TComponent::~TComponent() {
    // Children are freed newest first; each one detaches itself from this owner.
    while (!owned_.empty()) {
        TComponent* child = owned_.back();
        owned_.pop_back();
        child->owner_ = nullptr;
        delete child;
    }
    if (owner_) owner_->Remove(this);
}

void TComponent::Remove(TComponent* child) {
    owned_.erase(std::remove(owned_.begin(), owned_.end(), child), owned_.end());
}
