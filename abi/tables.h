// The host's tables as both sides name them: their numbers, the layout
// versions that the plug-in was built against, the indexes that their scans
// take, and what a scan's step answers.
#pragma once

#include <cstdint>

namespace korpus_abi {

// Table numbers, as the table-open entry takes them.
inline constexpr std::int32_t kSalesRegister = 44;           // tabTspr
inline constexpr std::int32_t kSalesPositionsTable = 45;     // tabTspr_dok
inline constexpr std::int32_t kContextTable = 48;            // goods-search context
inline constexpr std::int32_t kGoodsTable = 49;              // tabk9
inline constexpr std::int32_t kPurchaseRegister = 52;        // tabTzak
inline constexpr std::int32_t kPurchasePositionsTable = 53;  // tabTzak_dok
inline constexpr std::int32_t kCodeTable = 117;

// The layout versions that the plug-in checks when it is loaded.
inline constexpr std::int16_t kSalesRegisterVersion = 980;
inline constexpr std::int16_t kPurchaseRegisterVersion = 828;
inline constexpr std::int16_t kSalesPositionsVersion = 298;
inline constexpr std::int16_t kPurchasePositionsVersion = 626;
inline constexpr std::int16_t kGoodsVersion = 1024;

// The index that a scan of each table goes by.
inline constexpr std::int32_t kSalesPositionsIndex = 812;
inline constexpr std::int32_t kPurchasePositionsIndex = 714;
inline constexpr std::int32_t kContextIndex = 3;
inline constexpr std::int32_t kGoodsIndex = 4;
inline constexpr std::int32_t kCodeIndex = 154;

// A number key of 0 asks for every record, any other from that number on.
inline constexpr std::int32_t kEveryRecordKey = 0;

// A scan's answers: the start answers non-zero when the scan began; a step
// answers whether a record is in the table's record buffer.
inline constexpr std::int32_t kScanFailed = 0;
inline constexpr std::int32_t kScanStarted = 1;
inline constexpr std::int32_t kRecordDelivered = 1;
inline constexpr std::int32_t kNoMoreRecords = 2;

}  // namespace korpus_abi
