#pragma once

// The USB identities the simulated camera presents. 1d6b is the vendor id
// Linux uses for its virtual devices; the product ids are our own. The shipped
// "data.dat" lists them as one camera pair, so the program runs without a
// camera attached.
namespace orbisk::platform {

inline constexpr char kSimulatedVendorId[] = "1d6b";
inline constexpr char kSimulatedDocumentProductId[] = "0c01";
inline constexpr char kSimulatedPortraitProductId[] = "0c02";

// The device entry of the pair: document vid, pid, portrait vid, pid.
inline constexpr char kSimulatedDeviceEntry[] = "1d6b0c011d6b0c02";

}  // namespace orbisk::platform
