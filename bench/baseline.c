/* The plain baseline of one check for the process measurement: the same
 * formatted writes and flushes as korvimalet, three scanf("%f") reads, and
 * the arithmetic in plain double. Not part of the program. */
#include <stdio.h>

static const char kBlank[] = "                                                \n";
static const char kDash[] = "     --------------------------------           \n";
static const char kEquals[] = "==========================================      \n";

static void banner(void) {
  fputs(kBlank, stdout);
  fputs(kDash, stdout);
  fputs("       ** Korvimalet **                          \n", stdout);
  fputs(kDash, stdout);
  printf("     Version %.3f                               \n", 3.12);
  fputs(kBlank, stdout);
}

int main(void) {
  float diameter = 0, rho = 0, reading = 0;
  banner();
  fputs(" Eingaben ohne Einheiten !                      \n", stdout);
  fputs(" zu 1): Durchmesser in [mm] eingeben (#.###)    \n", stdout);
  fputs(" zu 2): Rho in [kg/dm^3] eingeben    (#.###)    \n", stdout);
  fputs("   Eingaben mit der Enter-Taste                 \n", stdout);
  fputs("   bestaetigen                                  \n", stdout);
  fputs(kBlank, stdout);
  fputs(" 1)    Kugel-Durchmesser eingeben: ", stdout);
  fflush(stdout);
  scanf("%f", &diameter);
  fputs(kBlank, stdout);
  fputs(" 2) Spezifisches Gewicht eingeben: ", stdout);
  fflush(stdout);
  scanf("%f", &rho);
  fputs(kBlank, stdout);
  fputs(kBlank, stdout);

  double radiusMm = diameter / 2.0;
  double radiusDm = radiusMm / 100.0;
  double volume = 4.1887865 * radiusDm * radiusDm * radiusDm;
  double bare = rho * volume;
  double surface = radiusDm * radiusDm * 12.56636;
  double coating = 0.02 * surface * 7.853;
  double coated = bare + coating;
  double upper = coated * 1.01;
  double lower = coated * 0.99;

  fputs("  \n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n", stdout);
  banner();
  printf(" Eine Kugel mit Radius %9.3f [mm]               \n", radiusMm);
  printf(" Hat ein Volumen von   %9.3f [dm^3]             \n", volume);
  fputs(kBlank, stdout);
  fputs(" Daraus folgt bei einem                         \n", stdout);
  printf(" spezifischen Gewicht   :   %8.3f [kg/dm^3]     \n", (double)rho);
  printf(" ein Gesamtgewicht Kugel:   %8.3f [kg]          \n", bare);
  fputs(kEquals, stdout);
  printf("  Gewicht der Beschichtung: %8.3f [kg] \n", coating);
  printf(" Gesamtgewicht beschichtet: %8.3f [kg] \n", coated);
  printf(" Daraus folgt bei einer Toleranz von %6.3f %%     \n", 1.0);
  printf(" Obere Grenze  %8.3f      \n", upper);
  printf(" Untere Grenze %8.3f      \n", lower);
  fputs(kEquals, stdout);
  fputs(" Geben Sie nun das abgelesene Gewicht (Waage) ein:\n", stdout);
  fputs(" in [kg] eingeben (#.###):", stdout);
  fflush(stdout);
  scanf("%f", &reading);
  fputs(kBlank, stdout);
  if (reading > upper) {
    fputs("\n Obere Grenze verletzt: SCHLECHT ", stdout);
  } else if (lower > reading) {
    fputs("\n Untere Grenze verletzt: SCHLECHT ", stdout);
  } else {
    fputs("\n        **** G U T ****       ", stdout);
  }
  fputs(kBlank, stdout);
  fflush(stdout);
  return 0;
}
