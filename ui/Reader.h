// Stored descriptions: the text form of a component tree.
//
//   object Fmain: TFmain
//     Left = 571
//     Caption = '电脑拨号' + #13#10 + 'second line'     strings: quotes doubled, #nn codes
//     Color = clBtnFace
//     BorderIcons = [biSystemMenu, biMinimize]
//     Font.Name = 'MS Sans Serif'                      sub-object properties by path
//     OnShow = FormShow                                events: a handler the root registered
//     object Memo1: TMemo
//       Lines.Strings = ('first' 'second')             string lists
//       Images = ImageList1                            references, resolved after reading
//     end
//     object ImageList1: TImageList
//       Bitmap = {424D...}                             binary data in hex
//       Bitmap = @TRAYFRAMES                           or an embedded RCDATA resource
//     end
//   end
//
// Components are created in description order, owned by the root; a control nested in a
// windowed control gets it as parent. "X.Strings = (...)" and "X.Data = {...}" give the list or
// the data to the object property X. After the whole tree was read, references are resolved
// and Loaded() runs on the root and then on each component in order. Any fault throws
// EReadError naming the line; the components created so far are freed again.
#pragma once

#include "Classes.h"

#include <span>

class EReadError : public Exception {
  public:
    EReadError(int Line, const std::wstring& Message);
    int Line() const { return FLine; }

  private:
    int FLine;
};

void ReadComponentText(TComponent& Root, std::wstring_view Text);
void ReadComponentText(TComponent& Root, std::string_view Utf8Text);
// Reads the description stored as the RCDATA resource Name (UTF-8); false when there is none.
bool ReadComponentResource(TComponent& Root, const std::wstring& Name);
// The bytes of an RCDATA resource of the executable; empty when there is none.
std::span<const uint8_t> ResourceData(const std::wstring& Name);
