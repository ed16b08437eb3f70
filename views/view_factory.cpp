#include "views/view_factory.h"

#include "views/bit_view.h"
#include "views/list_view.h"
#include "views/multi_view.h"
#include "views/word_bit_view.h"
#include "views/word_view.h"

namespace omb {

bool hasSingleView(int slot) { return slot >= 0 && slot <= 23; }

DeviceView* createSingleView(ViewContext& ctx, int slot) {
  if (slot >= 0 && slot <= 5) return new FrmWordDevice(ctx, slot);
  if (slot >= 6 && slot <= 17) return new FrmBitDevice(ctx, slot, ctx.mainWindow);
  if (slot == 18) return new FrmUni(ctx);
  if (slot == 19) return new FrmUser(ctx);
  if (slot >= 20 && slot <= 23) return new FrmWordBitDevice(ctx, slot);
  return nullptr;
}

bool hasMultiView(int kind) { return multiFamily(kind) != nullptr; }

DeviceView* createMultiView(ViewContext& ctx, int kind, int number) {
  if (kind >= 1 && kind <= 5) return new FrmMultiWord(ctx, kind, number);
  if (kind >= 7 && kind <= 13) return new FrmMultiBit(ctx, kind, number);
  return nullptr;
}

}  // namespace omb
