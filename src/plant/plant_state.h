#pragma once
// The olive tree: organ age structure, totals, demands, supply and ratios. Mass is in the model's
// dry-matter units per tree.
#include <cstdint>

#include "toolkit/agevec.h"

namespace olive {

// Substage counts of the tree's delays (fixed constants of the model).
inline constexpr int32_t kfol = 100, kshoot = 100, kroot = 100, kfru = 100;

struct PlantState {
  // Age-class vectors (flow rates per substage; contents = entry * substage width).
  AgeVec FolNumArray{}, FolWgtArray{};         // leaves: numbers, mass (kfol, DelkFol)
  AgeVec ShootliveArray{}, ShootWoodArray{};   // live shoots, shoot wood (kshoot)
  AgeVec RootLiveArray{}, RootWoodArray{};     // live roots, root wood (kroot)
  AgeVec FrameliveArray{}, FrameWoodArray{};   // live frame, frame wood (kroot)
  AgeVec FruNumArray{}, FruMassArray{};        // healthy fruit numbers and mass (kfru, delkfru)
  AgeVec FruNumAttacked{}, FruMassAttacked{};  // fruit attacked by the olive fly
  AgeVec BloomArray{};                         // flowers (kbloom, delbloom / kbloom)
  AgeVec Zeros{};                              // 65 zeros used by other submodels
  AgeVec grl{};                                // today's growth demand of each leaf class
  AgeVec PSageScalar{};                        // photosynthetic efficiency of each leaf class

  // Window vectors.
  AgeVec vgrowfruit{}, vFruitShed{}, vFruit{}, vOldShootWood{};

  // Flowers: delay and substages.
  float delbloom = 75;
  int32_t kbloom = 60;

  // Substage widths (mean delay / substage count).
  float DelkFol = 0;
  double delkShootLive = 0, delkShootWood = 0, delkRootLive = 0, delkRootWood = 0;
  double delkFrameLive = 0, delkFrameWood = 0, delkfru = 0;

  // Organ totals.
  double leafNum = 0, leafmass = 0, leafarea = 0, LAI = 0;
  double shootlive = 0, ShootWood = 0, rootlive = 0, RootWood = 0, framelive = 0, framewood = 0;
  double shoots = 0, roots = 0, TotalFrame = 0;  // including their share of the reserves
  double ashoot = 0, aroot = 0, aframe = 0;      // shares in the reserves
  double shootnr = 0;
  double fruNum = 0, Frumass = 0, FruNumAtk = 0, yield = 0, OldShootWood = 0;
  double TotShed = 0;   // running total of shed fruit (vector units)
  double leafshed = 0;  // running total of the leaf-number outflow (vector units)
  double reserveTot = 0;

  // Demand, supply and allocation of the day.
  double folNrProd = 0, folMaProd = 0;
  double dleaf = 0, dshoot = 0, droot = 0, dframe = 0, dres = 0, dveg = 0, dfru = 0;
  double mresp = 0, gresp = 0, dgrowth = 0, dtot = 0;
  double PhotoSynthate = 0, availph = 0;
  double sdfru = 1, sdveg = 1;  // supply/demand ratios, 0..1

  // Pruning.
  double PruneFactor = 0, ShootFactor = 1, PanulmiPruneSurv = 1;

  bool operator==(const PlantState&) const = default;
};

}  // namespace olive
