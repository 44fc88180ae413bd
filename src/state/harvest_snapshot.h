#pragma once
// The tree on the harvest day, kept for the next GIS and summary rows.

namespace olive {

// Values copied on the harvest day for the next GIS and summary rows.
struct HarvestSnapshot {
  double PlantddSumSave = 0;     // plant degree-days above OliveBase since 1 January
  double PlantFreezeDDSave = 0;  // degree-days below 0 deg C since 1 January
  double LeafNumSave = 0, LeafmassSave = 0, LeafareaSave = 0;
  double ShootsSave = 0, RootsSave = 0, RootLiveSave = 0, FrameSave = 0;
  double FruMassSave = 0, FruNumSave = 0, ResSave = 0;
  double sdvegSave = 0, sdfruSave = 0;
  double PrcntAtkdsave = 0;  // percentage of the fruit attacked by the olive fly
  // Nitrogen (with the nitrogen option): demand, soil N, reserve, uptake, leaf N of the leaf age
  // classes 3, 15 and 30 (per cent), supply/demand ratio.
  double NdtotSave = 0, SoilNSave = 0, NresSave = 0, NuptkSave = 0;
  double rLeafN3Save = 0, rLeafN15Save = 0, rLeafN30Save = 0, NsdtotSave = 0;
  double PlantddbSumSave = 0;  // degree-days below OliveBase
};

}  // namespace olive
