#include "toolkit/TsuiSkinForm.h"

#include "toolkit/TForm.h"

TsuiSkinForm::TsuiSkinForm(TForm& form, std::string name, std::string pictureResource,
                           TSize pictureSize)
    : TControl(&form, std::move(name)), picture_(std::move(pictureResource)) {
    form.SetBorderStyle(TFormBorderStyle::bsNone);
    SetBounds(0, 0, pictureSize.cx, pictureSize.cy);
    form.SetClientSize(pictureSize);
}
