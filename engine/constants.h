// Numeric constants of the built-in functions. Each is the decimal written here, not the exact
// mathematical value, so that results come out the same to the last bit.
#pragma once

namespace tly::k {

inline constexpr double kHalfPi = 1.570796326794895;
inline constexpr double kPi = 3.14159265358979;
inline constexpr double kTwoPi = 6.28318530717958;
inline constexpr double kLn10 = 2.30258509299405;
inline constexpr double kDegree = 0.017453292519943278;  // nearest double to kPi / 180

// The physical constants of the formula language (#e, #me, ...), SI units, as stored. #uo is
// this decimal, not 4 pi 10^-7.
inline constexpr double kElementaryCharge = 1.60217733e-19;          // C
inline constexpr double kElectronMass = 9.1093897e-31;               // kg
inline constexpr double kProtonMass = 1.67262305e-27;                // kg
inline constexpr double kSpeedOfLight = 299792458;                   // m/s
inline constexpr double kPlanck = 6.6260755e-34;                     // J s
inline constexpr double kBoltzmann = 1.380658e-23;                   // J/K
inline constexpr double kAvogadro = 6.0221367e23;                    // 1/mol
inline constexpr double kVacuumPermittivity = 8.85418771414949e-12;  // F/m
inline constexpr double kVacuumPermeability = 1.2566370761211e-06;   // H/m
inline constexpr double kStandardGravity = 9.80665;                  // m/s^2

}  // namespace tly::k
