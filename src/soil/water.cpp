#include "soil/water.h"

#include <algorithm>
#include <cmath>

#include "toolkit/modutils.h"

namespace olive {

namespace {

// Each formula is evaluated in double and rounded once when it is stored in a float variable.
inline double D(float x) {
  return static_cast<double>(x);
}
inline float F(double x) {
  return static_cast<float>(x);
}

}  // namespace

void waterinit(WaterState& w) {
  w.es1 = 0;
  w.es2 = 0;
  w.nirrs = 0;
  w.prevawat = 0;
  w.soilw = F(kBucketScale * w.SoilwIn);
  w.SumET = 0;
  w.SumPrecip = 0;
  w.transpire = 0;
  w.watertime = 0;
  w.watfirst = true;
  w.iwsd = 0;
  w.wsd = 1;
  for (int32_t i = 1; i <= 10; ++i) w.wsdarray[i] = 1;
}

void Ritchi(WaterState& w, DayWeather& today, double LAI, float& wdemand, float& evapsoil) {
  const float u = kStage1Limit;
  const float coeff = kStage2Coeff;
  float prec = today.precip;  // mm

  // Net radiation, cal/cm2/day, turned into mm of evaporated water (1/59).
  const float alpha = F(0.04375 * LAI + 0.055);  // albedo of the orchard
  float rno = F((1.0 - D(alpha)) * 0.76 * 0.2 * D(today.solrad) - 20.0);
  if (rno < 0) rno = 0;
  rno = F(D(rno) * 0.01694915254237288);

  const float tk = F(D(today.tmean) + 273.0);  // K
  // A missing humidity recorded as 0 is taken as 55 % for the rest of the day.
  if (today.rhmean == 0) today.rhmean = 55;

  // Saturation and actual vapour pressure, and the slope of the saturation curve.
  const float esubo = Expo(F(54.878919 - 6790.4985 / D(tk) - 5.02808 * std::log(D(tk))));
  const float esuba = F(D(esubo) * D(today.rhmean) * 0.01);
  const float delta = F((D(esubo) / D(tk)) * (6790.4985 / D(tk) - 5.02808));

  // Potential soil evaporation under the canopy and potential evapotranspiration, mm.
  float eso = F(D(Expo(F(-0.398 * LAI))) * D(rno) * D(delta) / (D(delta) + 0.66));
  const float eo = F((1.5151515151515151 * D(delta) * D(rno) +
                      0.262 * (1.0 + 0.0061 * D(today.wind)) * (D(esubo) - D(esuba))) *
                     0.66 / (0.66 + D(delta)));

  // Potential transpiration, mm.
  float ep = eo;
  if (0.091 < LAI && LAI <= 2.98) ep = F((0.7 * std::sqrt(LAI) - 0.21) * D(eo));
  if (LAI <= 0.091) ep = 0.01f;

  bool stage1Evaporation;
  if (w.watfirst || w.es1 < u) {
    // Stage 1: rain refills the stage-1 deficit.
    if (prec >= w.es1) {
      w.es1 = 0;
      w.watfirst = false;
    } else {
      w.es1 = F(D(w.es1) - D(prec));
    }
    stage1Evaporation = true;
  } else if (prec >= w.es2) {
    // Stage 2, rewetted: the rain beyond the stage-2 total restarts stage 1 today.
    prec = F(D(prec) - D(w.es2));
    w.es2 = 0;
    w.es1 = prec > u ? 0.0f : F(D(u) - D(prec));
    stage1Evaporation = true;
  } else {
    // Stage 2: evaporation falls with the square root of time since stage 1 ended.
    w.watertime = F(D(w.watertime) + 1.0);
    evapsoil = F(D(coeff) * std::sqrt(D(w.watertime)) - D(coeff) * std::sqrt(D(w.watertime) - 1.0));
    if (prec > 0) {
      float esx = F(0.8 * D(prec));
      if (esx < evapsoil) esx = F(D(evapsoil) + D(prec));
      if (esx < eso) esx = eso;
      evapsoil = esx;
    }
    evapsoil = min(evapsoil, F(D(eo) - D(ep)));
    w.es2 = F(D(w.es2) + D(evapsoil) - D(prec));
    const double t = D(w.es2) / D(coeff);
    w.watertime = F(t * t);
    stage1Evaporation = false;
  }

  if (stage1Evaporation) {
    eso = min(eso, F(D(eo) - D(ep)));
    w.es1 = F(D(w.es1) + D(eso));
    if (w.es1 <= u) {
      evapsoil = eso;
    } else {
      // Stage 1 ends today: the excess over u is partly evaporated, the rest starts stage 2.
      evapsoil = F(D(eso) - 0.4 * (D(w.es1) - D(u)));
      w.es2 = F(0.6 * (D(w.es1) - D(u)));
      const double t = D(w.es2) / D(coeff);
      w.watertime = F(t * t);
    }
  }

  wdemand = ep;
  evapsoil = max(evapsoil, 0.0f);
}

void Wsupply(WaterState& w, double LAI, float wdemand, float /*evapsoil*/, float& transpire) {
  transpire = 0;
  // Root-zone access factor: grows with the canopy, never shrinks within a run.
  float a = F(1.0 - std::exp(-0.8047 * LAI));
  if (a < 0.05f) a = 0.05f;
  if (a < w.prevawat) a = w.prevawat;
  w.prevawat = a;

  w.avlw = F(D(w.soilw) - kBucketScale * D(w.pwpin));
  if (w.avlw < 0) w.avlw = 0;

  // Transpiration approaches the demand when water is plentiful.
  if (wdemand != 0) {
    transpire = F(D(wdemand) * (1.0 - D(Expo(F(-D(a) * D(w.avlw) / D(wdemand))))));
  }
}

void Wratio(WaterState& w, const DayWeather& today, double LAI, float Transpire, float wdemand,
            float& wsd) {
  if (LAI > 0.01) {
    wsd = wdemand > 0 ? F(std::min(D(Transpire) / D(wdemand), 1.0)) : 1.0f;
    if (wsd == 0) wsd = 0.001f;
    w.iwsd += 1;
    if (w.iwsd > kWsdDays) w.iwsd = 1;
    w.wsdarray[w.iwsd] = wsd;
    double total = 0;
    for (int32_t i = 1; i <= kWsdDays; ++i) total += D(w.wsdarray[i]);
    wsd = F(total / kWsdDays);
  }
  waterbalance(w, today);
}

void waterbalance(WaterState& w, const DayWeather& today) {
  w.SumPrecip = F(D(w.SumPrecip) + D(today.precip));
  w.SumET = F(D(w.SumET) + D(w.evapsoil) + D(w.transpire));
  w.soilw = F(D(w.soilw) - D(w.transpire) - D(w.evapsoil) + D(today.precip));
  // Water above field capacity drains.
  w.soilw = min(w.soilw, F(kBucketScale * D(w.SoilwMaxIn)));
}

}  // namespace olive
