// The receipt window's own account of the current receipt: the last operation's sum, the
// running total, the discounts and surcharges, and the name a repeat sale prints again.
// The register keeps the receipt itself; these sums only feed the window's sum fields.
#pragma once

#include <cstdint>
#include <string>

namespace ptk {

// The three choices of a discount or surcharge; the values are the command's bytes.
enum class DiscountArea : uint8_t { Receipt = 0, LastOperation = 1 };
enum class DiscountKind : uint8_t { Percent = 0, Amount = 1 };
enum class DiscountSign : uint8_t { Discount = 0, Surcharge = 1 };

class ReceiptSums {
 public:
  double lastOperationSum() const { return lastOperationSum_; }
  double receiptTotal() const { return receiptTotal_; }
  double discountTotal() const { return discountTotal_; }
  double surchargeTotal() const { return surchargeTotal_; }
  const std::string& lastItemName() const { return lastItemName_; }

  // The total the sum fields show: total + surcharges − discounts.
  double Shown() const;

  // When the window is shown, after a closed receipt and after a whole-receipt annulment.
  void Reset();

  // Price × quantity becomes the last operation's sum, then:
  void Sale(double price, double quantity, const std::string& name);    // total += sum
  void Storno(double price, double quantity);                           // total −= sum
  void Return(double price, double quantity, const std::string& name);  // total = sum
  void Annul(double price, double quantity);                            // total = sum
  // total += the last operation's sum.
  void Repeat();
  // value: a percentage (10 for ten per cent) of the last operation's sum or of the total,
  // or an amount. The total itself stays; discounts and surcharges are kept apart.
  void Adjust(DiscountArea area, DiscountKind kind, DiscountSign sign, double value);

 private:
  double lastOperationSum_ = 0;
  double receiptTotal_ = 0;
  double discountTotal_ = 0;
  double surchargeTotal_ = 0;
  std::string lastItemName_;
};

}  // namespace ptk
