// The sections of the English locale that the panels and dialogs read
// beside their own: words, messages and the variables of warning places.
#pragma once

constexpr const char* kTestLocaleExtra =
    "[globals]\r\n"
    "material=Material\r\n"
    "of=of\r\n"
    "[messages]\r\n"
    "material.delete=Delete the material \"${material}\"?\r\n"
    "status.0=Calculations done\r\n"
    "status.36=Add stocks information\r\n"
    "status.37=Add parts information\r\n"
    "status.44=Not all parts are placed\r\n"
    "status.102=Material is not specified\r\n"
    "[variables]\r\n"
    "project=Project\r\n"
    "order=Order\r\n"
    "blank=Stock\r\n"
    "piece=Part\r\n"
    "calc=Calculations\r\n"
    "blanks.list=Stock list\r\n"
    "pieces.list=Parts list\r\n";
