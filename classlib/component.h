#pragma once
// TObject and TComponent: a component is freed by its owner, together with the owner.
#include <vector>

class TObject {
public:
    virtual ~TObject() = default;
};

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }

private:
    void Remove(TComponent* child);

    TComponent* owner_;
    std::vector<TComponent*> owned_;
};
