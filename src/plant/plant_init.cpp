#include "plant/plant_init.h"

#include <cmath>

#include "toolkit/modutils.h"

namespace olive {

void InitPlant(PlantState& p, const Inputs& in, ErrorSink& log) {
  // Totals 0, ratios 1, vectors 0; then the setup values the model changes later.
  p = PlantState{};
  p.shootnr = in.shootnr;
  p.roots = in.roots;
  p.TotalFrame = in.TotalFrame;
  p.ShootWood = in.ShootWood;

  p.delbloom = 75;  // degree-days from bloom to fruit set
  p.kbloom = 60;

  // 1000 mass units of live shoots spread evenly over the live-shoot delay.
  Fill(p.ShootliveArray, kshoot, static_cast<float>(1000 / in.delshootLive));

  // Last season's fruit: one fruit spread over the oldest third of the fruit classes (68..100
  // with 100 classes), weighing 0.0006 mass units per fruit.
  p.fruNum = 1;
  const int32_t firstOld = static_cast<int32_t>(std::nearbyint(2.0 * kfru / 3)) + 1;
  for (int32_t i = firstOld; i <= kfru; ++i) {
    p.FruNumArray[i] = static_cast<float>(p.fruNum / (kfru / 3.0) * kfru / in.delfru);
  }
  for (int32_t i = 1; i <= kfru; ++i) p.FruMassArray[i] = 0.0006f * p.FruNumArray[i];

  // Class widths, degree-days.
  p.DelkFol = in.delfol / kfol;
  p.delkShootLive = in.delshootLive / kshoot;
  p.delkShootWood = in.delShootWood / kshoot;
  p.delkRootLive = static_cast<double>(in.delRootLive) / kroot;
  p.delkfru = static_cast<double>(in.delfru) / kfru;
  p.delkRootWood = static_cast<double>(in.delRootWood) / kroot;
  p.delkFrameLive = in.delframeLive / kroot;
  p.delkFrameWood = in.delframeWood / kroot;

  // Frame: all wood, spread evenly.
  p.framewood = p.TotalFrame;
  Fill(p.FrameWoodArray, kroot, static_cast<float>((p.framewood / kroot) / p.delkFrameWood));
  p.framelive = p.delkFrameLive * Sum(p.FrameliveArray, 1, kroot);
  p.framewood = p.delkFrameWood * Sum(p.FrameWoodArray, 1, kroot);

  // Leaves: 250000 grown leaves of 0.15 mass units each, spread evenly over the leaf delay.
  Fill(p.FolNumArray, kfol, 250000 / in.delfol);
  for (int32_t i = 1; i <= kfol; ++i) p.FolWgtArray[i] = 0.15f * p.FolNumArray[i];
  p.leafNum = Sum(p.FolNumArray, 1, kfol) * p.DelkFol;
  p.leafmass = Sum(p.FolWgtArray, 1, kfol) * p.DelkFol;

  // Wood of roots and shoots.
  Fill(p.RootWoodArray, kroot, 26500 / in.delRootWood);
  Fill(p.ShootWoodArray, kshoot, static_cast<float>(20000 / in.delShootWood));

  // Windows: fruit growth from 75 degree-days to veraison, young fruit that can be shed, all
  // fruit, and the shoot wood older than the live-shoot delay.
  const float delfru = in.delfru;
  wdwvec(log, 75, static_cast<float>(in.Veraison), kfru, delfru, p.vgrowfruit);
  wdwvec(log, 0, 500, kfru, delfru, p.vFruitShed);
  wdwvec(log, 0, delfru, kfru, delfru, p.vFruit);
  p.TotalFrame = p.framewood;
  wdwvec(log, static_cast<float>(in.delshootLive), static_cast<float>(in.delShootWood), kshoot,
         static_cast<float>(in.delShootWood), p.vOldShootWood);

  // Reserves: 2.5 % of the roots and of the frame.
  const double resroot = p.roots * 0.025;
  const double resframe = p.framewood * 0.025;
  p.RootWood = p.roots - resroot;
  p.framewood = p.TotalFrame - resframe;
  p.reserveTot = resroot + resframe;

  // Photosynthetic efficiency by leaf age x (degree-days): 0.35 x 1.00102^-x, scaled to 1 at
  // its peak.
  for (int32_t i = 1; i <= kfol; ++i) {
    const double x = (i - 0.5) * p.DelkFol;
    p.PSageScalar[i] = static_cast<float>(0.00791765637371338 *
                                          (0.35 * x / Power(1.00102f, static_cast<float>(x))));
  }
}

void FreezePlantState(PlantState& p) {
  p.shootlive = 0;
  p.rootlive = 0;
  p.roots = 0;
  p.shoots = 0;
  p.TotalFrame = 0;
  p.sdveg = 0;
  p.sdfru = 0;
  p.LAI = 0;
  p.PhotoSynthate = 0;
  p.leafmass = 0;
  p.Frumass = 0;
  p.leafNum = 0;
  p.leafarea = 0;
  p.leafshed = 0;
  p.fruNum = 0;
  p.FruNumAtk = 0;
  for (AgeVec* v :
       {&p.FolNumArray, &p.FolWgtArray, &p.ShootliveArray, &p.RootLiveArray, &p.FruNumArray,
        &p.FruMassArray, &p.FruNumAttacked, &p.FruMassAttacked, &p.BloomArray, &p.FrameliveArray,
        &p.FrameWoodArray, &p.RootWoodArray, &p.ShootWoodArray}) {
    v->fill(0);
  }
  p.reserveTot = 0;
  p.framelive = 0;
  p.framewood = 0;
  p.RootWood = 0;
  p.TotShed = 0;
}

}  // namespace olive
