// Plain controls that hold the places of the styled ones in the main window
// until those exist: each offers exactly what the window's flow uses.
#pragma once

#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <memory>
#include <string>

// A folder edit: the edit with a browse button inside the control's bounds,
// and its caption label standing to the left of it on the same parent. It
// owns all three: freeing it takes them along.
class TFolderEdit : public TWinControl {
  public:
    TFolderEdit(TComponent* owner, const std::string& label, const std::string& browseText);
    void SetParent(TWinControl* parent) override;
    std::string Text() const { return FEdit->Text(); }
    void SetText(const std::string& text) { FEdit->SetText(text); }
    TEdit* Edit() const { return FEdit; }
    TLabel* Label() const { return FLabel; }

  protected:
    void BoundsChanged() override;
    void EnabledChanged() override;

  private:
    void Browse();
    TEdit* FEdit;
    TButton* FBrowse;
    TLabel* FLabel;
    std::string FBrowseText;
};
