#include "controls/html/PictureContainer.h"

#include "framework/Text.h"

// ---- THTMLPictureCache

THTMLPicture* THTMLPictureCache::Find(const std::string& url) const {
    for (const auto& picture : FItems)
        if (picture->URL() == url)
            return picture.get();
    return nullptr;
}

THTMLPicture& THTMLPictureCache::Get(const std::string& url) {
    if (THTMLPicture* picture = Find(url))
        return *picture;
    FItems.push_back(std::make_unique<THTMLPicture>());
    FItems.back()->LoadFromURL(url);
    return *FItems.back();
}

// ---- TPictureCollection, TPictureContainer

TPictureItem& TPictureCollection::Add() {
    FItems.push_back(std::make_unique<TPictureItem>());
    return *FItems.back();
}

void TPictureCollection::Delete(int index) {
    CheckListIndex(index, Count());
    FItems.erase(FItems.begin() + index);
}

THTMLPicture* TPictureContainer::FindPicture(const std::string& name) const {
    for (int i = 0; i < Items.Count(); ++i)
        if (SameText(Items.Items(i).Name, name))
            return &Items.Items(i).Picture;
    return nullptr;
}

bool AnimatePictures(THTMLPictureCache* cache, TPictureContainer* container) {
    bool changed = false;
    for (int i = 0; cache && i < cache->Count(); ++i)
        changed = cache->Items(i).Step() || changed;
    for (int i = 0; container && i < container->Items.Count(); ++i)
        changed = container->Items.Items(i).Picture.Step() || changed;
    return changed;
}
