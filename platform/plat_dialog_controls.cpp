// Dialog toolkit: static text, auto radio buttons and the sorted drop-down combo box.
#include <algorithm>
#include <cstring>
#include <string>
#include <strings.h>

#include "platform/plat_dialog_internal.h"

namespace {

constexpr int kRadioBox = 12;    // the round mark's cell
constexpr int kRadioGap = 4;     // between the mark and the text
constexpr int kComboArrow = 16;  // width of the field's drop button
constexpr int kComboPad = 3;     // text inset in the field and the list

uint32_t TextColour(const PlatControl* control) {
  return control->enabled ? kPlatColourText : kPlatColourShadow;
}

// A disabled label shows the classic etched look: a light copy one pixel down and right.
void DrawLabel(PlatCanvas* canvas, const PlatControl* control, const std::string& text, int x,
               int y, PlatRect clip) {
  if (!control->enabled)
    plat_DrawTextLine(canvas, control->font, text.data(), text.size(), x + 1, y + 1, clip,
                      kPlatColourHighlight);
  plat_DrawTextLine(canvas, control->font, text.data(), text.size(), x, y, clip,
                    TextColour(control));
}

PlatRect WholeRect(const PlatControl* control) { return control->rect; }
bool NoPress(PlatControl*, int, int) { return false; }
bool NoWheel(PlatControl*, int) { return false; }

// ---- static text -----------------------------------------------------------------------------

// A label one line high keeps its text on that line, even where this font runs wider than the
// one its rectangle was measured for; taller labels wrap inside their rectangle.
void DrawStatic(PlatCanvas* canvas, PlatControl* label) {
  const PlatRect r = label->rect;
  if (r.h >= 2 * plat_FontHeight(label->font)) {
    plat_DrawTextWrapped(canvas, label->font, label->text.data(), label->text.size(), r,
                         TextColour(label));
    return;
  }
  const std::string text = plat_TextForDisplay(label->text.data(), label->text.size());
  const PlatRect line{r.x, r.y, label->dialog->clientWidth - r.x, std::max(r.h, plat_FontHeight(label->font))};
  DrawLabel(canvas, label, text, r.x, r.y, line);
}

// Labels take no pointer input: their hit area is empty.
PlatRect NoHit(const PlatControl*) { return PlatRect{}; }

constexpr PlatControlClass kStaticClass{DrawStatic, NoHit, NoPress, nullptr, NoWheel};

// ---- radio buttons ---------------------------------------------------------------------------

void DrawRadio(PlatCanvas* canvas, PlatControl* radio) {
  const PlatRect r = radio->rect;
  const PlatRect box{r.x, r.y + (r.h - kRadioBox) / 2, kRadioBox, kRadioBox};
  // A square well stands in for the round one; the mark is a centred dot.
  plat_CanvasFillRect(canvas, box, radio->enabled && !radio->pressed ? kPlatColourWindow
                                                                       : kPlatColourFace);
  plat_CanvasEdge(canvas, box, kPlatColourShadow, kPlatColourHighlight);
  plat_CanvasEdge(canvas, PlatRect{box.x + 1, box.y + 1, box.w - 2, box.h - 2},
                  kPlatColourDarkShadow, kPlatColourLight);
  if (radio->checked)
    plat_CanvasFillRect(canvas, PlatRect{box.x + 4, box.y + 4, box.w - 8, box.h - 8},
                        TextColour(radio));
  const std::string text = plat_TextForDisplay(radio->text.data(), radio->text.size());
  const int x = box.x + kRadioBox + kRadioGap;
  const int y = r.y + (r.h - plat_FontHeight(radio->font)) / 2;
  DrawLabel(canvas, radio, text, x, y, PlatRect{x, r.y, r.x + r.w - x, r.h});
}

bool RadioMouseDown(PlatControl*, int, int) { return true; }

void RadioClicked(PlatControl* radio) {
  for (PlatControl* other : radio->dialog->controls)
    if (other->kind == kPlatControlRadio) plat_ButtonSetCheck(other, other == radio);
}

constexpr PlatControlClass kRadioClass{DrawRadio, WholeRect, RadioMouseDown, RadioClicked,
                                       NoWheel};

// ---- combo boxes -----------------------------------------------------------------------------

int ItemHeight(const PlatControl* combo) { return plat_FontHeight(combo->font) + 2; }

PlatRect ComboField(const PlatControl* combo) {
  const PlatRect r = combo->rect;
  return PlatRect{r.x, r.y, r.w, std::min(r.h, ItemHeight(combo) + 2 * kComboPad)};
}

// The open list: below the field, as tall as the control's rectangle allows but at least tall
// enough for the items, up to the dialog's client edge.
PlatRect ComboList(const PlatControl* combo) {
  const PlatRect field = ComboField(combo);
  const int top = field.y + field.h;
  const int wanted = std::max(combo->rect.y + combo->rect.h - top,
                              static_cast<int>(combo->items.size()) * ItemHeight(combo) + 2);
  const int room = std::max(0, combo->dialog->clientHeight - top);
  return PlatRect{field.x, top, field.w, std::min(wanted, room)};
}

int ListRows(const PlatControl* combo) {
  return std::max(1, (ComboList(combo).h - 2) / ItemHeight(combo));
}

int MaxListTop(const PlatControl* combo) {
  return std::max(0, static_cast<int>(combo->items.size()) - ListRows(combo));
}

PlatRect ComboHit(const PlatControl* combo) {
  const PlatRect field = ComboField(combo);
  if (!combo->dropped) return field;
  const PlatRect list = ComboList(combo);
  return PlatRect{field.x, field.y, field.w, list.y + list.h - field.y};
}

void DrawComboItem(PlatCanvas* canvas, const PlatControl* combo, int index, PlatRect row,
                   bool highlighted) {
  if (index < 0 || index >= static_cast<int>(combo->items.size())) return;
  const std::string& raw = combo->items[static_cast<size_t>(index)].text;
  const std::string text = plat_TextForDisplay(raw.data(), raw.size());
  if (highlighted) plat_CanvasFillRect(canvas, row, plat_Rgb(0, 0, 128));
  const uint32_t colour = highlighted ? kPlatColourHighlight : TextColour(combo);
  plat_DrawTextLine(canvas, combo->font, text.data(), text.size(), row.x + kComboPad,
                    row.y + (row.h - plat_FontHeight(combo->font)) / 2, row, colour);
}

void DrawCombo(PlatCanvas* canvas, PlatControl* combo) {
  const PlatRect field = ComboField(combo);
  plat_CanvasEdge(canvas, field, kPlatColourShadow, kPlatColourHighlight);
  plat_CanvasEdge(canvas, PlatRect{field.x + 1, field.y + 1, field.w - 2, field.h - 2},
                  kPlatColourDarkShadow, kPlatColourLight);
  const PlatRect inner{field.x + 2, field.y + 2, field.w - 4, field.h - 4};
  const PlatRect button{inner.x + inner.w - kComboArrow, inner.y, kComboArrow, inner.h};
  const PlatRect text{inner.x, inner.y, inner.w - kComboArrow, inner.h};
  plat_CanvasFillRect(canvas, text, combo->enabled ? kPlatColourWindow : kPlatColourFace);
  DrawComboItem(canvas, combo, combo->curSel, text, false);
  plat_CanvasFillRect(canvas, button, kPlatColourFace);
  plat_CanvasEdge(canvas, button, kPlatColourHighlight, kPlatColourDarkShadow);
  // The drop arrow: a small downward triangle.
  const int cx = button.x + button.w / 2, cy = button.y + button.h / 2 - 1;
  for (int i = 0; i < 4; ++i)
    plat_CanvasFillRect(canvas, PlatRect{cx - 3 + i, cy + i, 7 - 2 * i, 1}, TextColour(combo));
  if (!combo->dropped) return;

  const PlatRect list = ComboList(combo);
  plat_CanvasFillRect(canvas, list, kPlatColourWindow);
  plat_CanvasFrameRect(canvas, list, kPlatColourDarkShadow);
  for (int row = 0; row < ListRows(combo); ++row) {
    const int index = combo->listTop + row;
    DrawComboItem(canvas, combo, index, plat_ComboItemRect(combo, index), index == combo->curSel);
  }
}

bool ComboMouseDown(PlatControl* combo, int x, int y) {
  if (plat_RectContains(ComboField(combo), x, y)) {
    combo->dropped = !combo->dropped;
    // The open list starts at the selection.
    if (combo->dropped) combo->listTop = std::clamp(combo->curSel, 0, MaxListTop(combo));
    plat_DialogMarkDirty(combo->dialog);
    return false;
  }
  for (int index = combo->listTop; index < static_cast<int>(combo->items.size()); ++index) {
    if (!plat_RectContains(plat_ComboItemRect(combo, index), x, y)) continue;
    combo->curSel = index;
    combo->dropped = false;
    plat_DialogMarkDirty(combo->dialog);
    plat_DialogSendCommand(combo->dialog, combo->id, combo, kPlatNotifySelEndOk);
    return false;
  }
  return false;
}

bool ComboWheel(PlatControl* combo, int notches) {
  if (!combo->dropped) return false;
  combo->listTop = std::clamp(combo->listTop - notches, 0, MaxListTop(combo));
  plat_DialogMarkDirty(combo->dialog);
  return true;
}

constexpr PlatControlClass kComboClass{DrawCombo, ComboHit, ComboMouseDown, nullptr, ComboWheel};

bool IsCombo(const PlatControl* control) {
  return control && control->kind == kPlatControlCombo;
}

bool InList(const PlatControl* combo, int index) {
  return IsCombo(combo) && index >= 0 && index < static_cast<int>(combo->items.size());
}

}  // namespace

const PlatControlClass* plat_StaticClass() { return &kStaticClass; }
const PlatControlClass* plat_RadioClass() { return &kRadioClass; }
const PlatControlClass* plat_ComboClass() { return &kComboClass; }

void plat_ComboCloseOthers(PlatDialog* dialog, const PlatControl* keep) {
  for (PlatControl* control : dialog->controls)
    if (control != keep && control->dropped) {
      control->dropped = false;
      plat_DialogMarkDirty(dialog);
    }
}

void plat_ButtonSetCheck(PlatControl* radio, bool checked) {
  if (!radio || radio->kind != kPlatControlRadio || radio->checked == checked) return;
  radio->checked = checked;
  plat_DialogMarkDirty(radio->dialog);
}

bool plat_ButtonChecked(const PlatControl* radio) { return radio && radio->checked; }

void plat_CheckRadioButton(PlatDialog* dialog, int firstId, int lastId, int checkId) {
  for (int id = firstId; id <= lastId; ++id)
    plat_ButtonSetCheck(plat_DialogItem(dialog, id), id == checkId);
}

void plat_ComboReset(PlatControl* combo) {
  if (!IsCombo(combo)) return;
  combo->items.clear();
  combo->curSel = -1;
  combo->listTop = 0;
  plat_DialogMarkDirty(combo->dialog);
}

int plat_ComboAddString(PlatControl* combo, const char* text) {
  if (!IsCombo(combo)) return -1;
  PlatControl::ComboItem item{text ? text : "", 0};
  auto at = combo->items.end();
  if (combo->style & kPlatCbsSort)
    at = std::upper_bound(combo->items.begin(), combo->items.end(), item,
                          [](const PlatControl::ComboItem& a, const PlatControl::ComboItem& b) {
                            return strcasecmp(a.text.c_str(), b.text.c_str()) < 0;
                          });
  const int index = static_cast<int>(at - combo->items.begin());
  combo->items.insert(at, item);
  if (combo->curSel >= index) ++combo->curSel;  // the selection stays on its item
  plat_DialogMarkDirty(combo->dialog);
  return index;
}

int plat_ComboCount(const PlatControl* combo) {
  return IsCombo(combo) ? static_cast<int>(combo->items.size()) : 0;
}

const char* plat_ComboItemText(const PlatControl* combo, int index) {
  return InList(combo, index) ? combo->items[static_cast<size_t>(index)].text.c_str() : "";
}

bool plat_ComboSetItemData(PlatControl* combo, int index, intptr_t data) {
  if (!InList(combo, index)) return false;
  combo->items[static_cast<size_t>(index)].data = data;
  return true;
}

intptr_t plat_ComboItemData(const PlatControl* combo, int index) {
  return InList(combo, index) ? combo->items[static_cast<size_t>(index)].data : -1;
}

void plat_ComboSetCurSel(PlatControl* combo, int index) {
  if (!IsCombo(combo)) return;
  combo->curSel = InList(combo, index) ? index : -1;
  plat_DialogMarkDirty(combo->dialog);
}

int plat_ComboCurSel(const PlatControl* combo) { return IsCombo(combo) ? combo->curSel : -1; }

bool plat_ComboDroppedDown(const PlatControl* combo) { return IsCombo(combo) && combo->dropped; }

PlatRect plat_ComboItemRect(const PlatControl* combo, int index) {
  if (!InList(combo, index) || !combo->dropped) return PlatRect{};
  const int row = index - combo->listTop;
  if (row < 0 || row >= ListRows(combo)) return PlatRect{};
  const PlatRect list = ComboList(combo);
  const int h = ItemHeight(combo);
  return PlatRect{list.x + 1, list.y + 1 + row * h, list.w - 2, h};
}
