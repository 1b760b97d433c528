#include "core/receipts/receipt_sums.h"

#include <cmath>

namespace ptk {
namespace {

// Sums of binary fractions leave residues such as 2E-16 where the money is zero (two
// sales of 1,11 and two storni); the field would show that residue in the general
// format. Anything this close to zero is zero.
double Settle(double v) {
  return std::fabs(v) < 1e-9 ? 0.0 : v;
}

}  // namespace

double ReceiptSums::Shown() const {
  return Settle(receiptTotal_ + surchargeTotal_ - discountTotal_);
}

void ReceiptSums::Reset() {
  *this = ReceiptSums{};
}

void ReceiptSums::Sale(double price, double quantity, const std::string& name) {
  lastOperationSum_ = price * quantity;
  receiptTotal_ = Settle(receiptTotal_ + lastOperationSum_);
  lastItemName_ = name;
}

void ReceiptSums::Storno(double price, double quantity) {
  lastOperationSum_ = price * quantity;
  receiptTotal_ = Settle(receiptTotal_ - lastOperationSum_);
  lastItemName_.clear();
}

void ReceiptSums::Return(double price, double quantity, const std::string& name) {
  lastOperationSum_ = price * quantity;
  receiptTotal_ = lastOperationSum_;
  lastItemName_ = name;
}

void ReceiptSums::Annul(double price, double quantity) {
  lastOperationSum_ = price * quantity;
  receiptTotal_ = lastOperationSum_;
}

void ReceiptSums::Repeat() {
  receiptTotal_ = Settle(receiptTotal_ + lastOperationSum_);
}

void ReceiptSums::Adjust(DiscountArea area, DiscountKind kind, DiscountSign sign, double value) {
  const bool onLast = area == DiscountArea::LastOperation;
  if (kind == DiscountKind::Percent)
    value = value * (onLast ? lastOperationSum_ : receiptTotal_) * 0.01;
  if (sign == DiscountSign::Surcharge) {
    surchargeTotal_ += value;
    if (onLast) lastOperationSum_ = Settle(lastOperationSum_ + value);
  } else {
    discountTotal_ += value;
    if (onLast) lastOperationSum_ = Settle(lastOperationSum_ - value);
  }
}

}  // namespace ptk
