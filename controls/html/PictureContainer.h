// Pictures that markup names besides image list images: the per-control
// cache of pictures loaded by URL and the picture container component.
#pragma once

#include "controls/html/HTMLPicture.h"
#include "framework/Classes.h"

#include <memory>
#include <string>
#include <vector>

// Pictures loaded by URL for one control; owns them. Lookup compares the URL
// exactly, case included.
class THTMLPictureCache {
  public:
    THTMLPicture* Find(const std::string& url) const;
    // The entry for `url`; a new one is created and loaded at once.
    THTMLPicture& Get(const std::string& url);
    int Count() const { return static_cast<int>(FItems.size()); }
    THTMLPicture& Items(int index) const {
        CheckListIndex(index, Count());
        return *FItems[static_cast<std::size_t>(index)];
    }
    void Clear() { FItems.clear(); }

  private:
    std::vector<std::unique_ptr<THTMLPicture>> FItems;
};

struct TPictureItem {
    THTMLPicture Picture;
    std::string Name;
    int Tag = 0;
};

class TPictureCollection {
  public:
    TPictureItem& Add();
    int Count() const { return static_cast<int>(FItems.size()); }
    TPictureItem& Items(int index) const {
        CheckListIndex(index, Count());
        return *FItems[static_cast<std::size_t>(index)];
    }
    void Delete(int index);
    void Clear() { FItems.clear(); }

  private:
    std::vector<std::unique_ptr<TPictureItem>> FItems;
};

// Named pictures that markup refers to by name.
class TPictureContainer : public TComponent {
  public:
    explicit TPictureContainer(TComponent* owner) : TComponent(owner) {}
    TPictureCollection Items;
    // The first picture whose name matches, case-insensitively; null if none.
    THTMLPicture* FindPicture(const std::string& name) const;
};

// One animation step over the pictures of a cache and of a container (either
// may be null); true when any picture showed a new frame.
bool AnimatePictures(THTMLPictureCache* cache, TPictureContainer* container);
