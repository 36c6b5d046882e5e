*
*
G04 PADS 9.3 Build Number: 433611 generated Gerber (RS-274-X) file*
G04 PC Version=2.1*
*
%IN "GPS.pcb"*%
*
%MOIN*%
*
%FSDAX24Y24*%
*
*
*
*
G04 PC Standard Apertures*
*
*
G04 Thermal Relief Aperture macro.*
%AMTER*
1,1,$1,0,0*
1,0,$1-$2,0,0*
21,0,$3,$4,0,0,45*
21,0,$3,$4,0,0,135*
%
*
*
G04 Annular Aperture macro.*
%AMANN*
1,1,$1,0,0*
1,0,$2,0,0*
%
*
*
G04 Odd Aperture macro.*
%AMODD*
1,1,$1,0,0*
1,0,$1-0.005,0,0*
%
*
*
G04 PC Custom Aperture Macros*
*
*
*
*
*
*
G04 PC Aperture Table*
*
%ADD010C,0.001*%
%ADD013C,0.01*%
*
*
*
*
G04 PC Circuitry*
G04 Layer Name GPS.pcb - circuitry*
%LPD*%
*
*
G04 PC Custom Flashes*
G04 Layer Name GPS.pcb - flashes*
%LPD*%
*
*
G04 PC Circuitry*
G04 Layer Name GPS.pcb - circuitry*
%LPD*%
*
G54D10*
G54D13*
G01X010000Y010000D02*
Y021811D01*
X018110*
Y010000*
X010000*
X000000Y000000D02*
M02*
