/* Ids of the texts in the language modules' string tables. The resource
 * compiler reads this file for the modules' scripts and C++ for the library,
 * so it holds nothing but macros. What each text is for, its built-in form
 * and its argument list are in lang/core/texts.cpp. */
#ifndef ELK_TEXT_IDS_H
#define ELK_TEXT_IDS_H

/* Time texts: 10 stands alone, 100 and 101 are followed by the time of day. */
#define ELK_TEXT_NO_TIME 10
#define ELK_TEXT_TODAY 100
#define ELK_TEXT_YESTERDAY 101

/* Built-in scan tasks ('*' names). */
#define ELK_TEXT_TASK_OTHER 11
#define ELK_TEXT_TASK_SCREEN_SAVER 200
#define ELK_TEXT_TASK_STANDARD 201
#define ELK_TEXT_TASK_QUICK 202
#define ELK_TEXT_TASK_STARTUP 209

/* Windows release names and the edition words. */
#define ELK_TEXT_OS_NT4 50
#define ELK_TEXT_OS_2000 51
#define ELK_TEXT_OS_95 52
#define ELK_TEXT_OS_95_OSR2 53
#define ELK_TEXT_OS_95_OSR25 54
#define ELK_TEXT_OS_98 55
#define ELK_TEXT_OS_98_SE 56
#define ELK_TEXT_OS_OTHER 57
#define ELK_TEXT_UNKNOWN_VERSION 58
#define ELK_TEXT_OS_ME 59
#define ELK_TEXT_OS_XP 60
#define ELK_TEXT_OS_VISTA 61
#define ELK_TEXT_OS_WORKSTATION 68
#define ELK_TEXT_OS_SERVER 69
#define ELK_TEXT_OS_2003 70

/* Size units, bytes to terabytes: ELK_TEXT_UNIT_FIRST + step. */
#define ELK_TEXT_UNIT_FIRST 120
#define ELK_TEXT_UNIT_LAST 124

/* Scanned objects that are not files. */
#define ELK_TEXT_BOOT_RECORD 150
#define ELK_TEXT_BOOT_SECTOR 151
#define ELK_TEXT_PROCESS_MEMORY 153

/* Subject of alert mails and document name of printed alerts. */
#define ELK_TEXT_ALERT_SUBJECT 300

/* Words of a detection description. */
#define ELK_TEXT_WORD_VIRUS 6224
#define ELK_TEXT_WORD_VIRUS_OR_UNWANTED 6226
#define ELK_TEXT_WORD_UNWANTED 6227
#define ELK_TEXT_WORD_VARIANT 6228
#define ELK_TEXT_WORD_SIMILAR 6230

/* Texts of status codes. A code without a text of its own reads
 * ELK_TEXT_STATUS_UNKNOWN; the suite's families read the first id of their
 * family plus the code's distance from the family's first code. */
#define ELK_TEXT_STATUS_UNKNOWN 29999
#define ELK_TEXT_STATUS_7FFF0 30000 /* 0x7FFF0000 + k */
#define ELK_TEXT_STATUS_7FFF1 30100 /* 0x7FFF1000 + k */
#define ELK_TEXT_STATUS_7FFF2 30200 /* 0x7FFF2000 + k */
#define ELK_TEXT_STATUS_7FFF3 30300 /* 0x7FFF3000 + k */
#define ELK_TEXT_STATUS_7FFF4 30400 /* 0x7FFF4000 + k */
#define ELK_TEXT_STATUS_42000 31000 /* 42000 + k */

#endif /* ELK_TEXT_IDS_H */
